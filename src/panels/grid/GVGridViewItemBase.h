// Identity and state every cell of a thumbnail grid has: reuse identifier,
// index, represented object, and the selected, selectable and hovered flags.
// Items follow their own grid's select-all and deselect-all notifications.
#pragma once

#include <QPointer>
#include <QWidget>
#include <limits>

namespace ql {

class GVGridViewItemBase : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 noIndex = std::numeric_limits<qint64>::max();

    explicit GVGridViewItemBase(QWidget* parent = nullptr);
    ~GVGridViewItemBase() override;

    QString reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(const QString& identifier) { m_reuseIdentifier = identifier; }
    qint64 index() const { return m_index; }
    void setIndex(qint64 index) { m_index = index; }
    QObject* representedObject() const { return m_representedObject.data(); }
    void setRepresentedObject(QObject* object) { m_representedObject = object; }

    bool selected() const { return m_selected; }
    virtual void setSelected(bool selected) { m_selected = selected; }
    bool selectable() const { return m_selectable; }
    void setSelectable(bool selectable) { m_selectable = selectable; }
    bool hovered() const { return m_hovered; }
    virtual void setHovered(bool hovered) { m_hovered = hovered; }
    // Selected items stay out of the reuse pool.
    bool isReuseable() const { return !m_selected; }

    virtual void prepareForReuse();

    static QString selectAllNotification();
    static QString deselectAllNotification();

private:
    QString m_reuseIdentifier = QStringLiteral("GVGridViewItem");
    qint64 m_index = noIndex;
    QPointer<QObject> m_representedObject;
    bool m_selected = false;
    bool m_selectable = false;
    bool m_hovered = false;
};

} // namespace ql
