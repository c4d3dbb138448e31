// A row of icon segments, one selected, each of which can be disabled on
// its own: the drawing-tool bar.
#pragma once

#include <QImage>
#include <QList>
#include <QWidget>

class QButtonGroup;
class QToolButton;

namespace ql {

class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(QWidget* parent = nullptr);

    void setSegments(const QList<QImage>& icons, const QStringList& toolTips);
    int segmentCount() const { return int(m_buttons.size()); }
    int selectedSegment() const;
    // Selects in code; nobody is told.
    void setSelectedSegment(int segment);
    bool isEnabledForSegment(int segment) const;
    void setEnabled(bool enabled, int segment);
    QToolButton* button(int segment) const { return m_buttons.value(segment); }

signals:
    // A user chose a segment.
    void segmentChosen(int segment);

private:
    QButtonGroup* m_group;
    QList<QToolButton*> m_buttons;
};

} // namespace ql
