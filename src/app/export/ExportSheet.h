// The export sheet's controls, bound to the document's export settings:
// name, format, resolution, CMYK, JPEG quality, all pages or a range, and
// booklet. Options that do not apply to the format are disabled, and the
// option area is as tall as the settings say. The range stays within the
// shown pages, its start never after its end.
#pragma once

#include <QObject>
#include <QPointer>

class QLineEdit;
class QSpinBox;
class QWidget;

namespace ql {

class Document;
class KeyPathBindings;
class LayoutConstraint;

class ExportSheet : public QObject {
    Q_OBJECT
public:
    // Fills `contentView` of the sheet's panel: the option area above,
    // `bottomContent` (pinned at the bottom) with the name and the buttons.
    ExportSheet(Document& document, QWidget* panel, QWidget* contentView, QWidget* bottomContent);

    QLineEdit* fileNameField() const { return m_fileName; }
    // Takes what the name field holds, as leaving the field would.
    void commitFileName();

signals:
    void cancelClicked();
    void nextClicked();

private:
    QWidget* buildOptions(QWidget* contentView);
    void buildBottom(QWidget* bottomContent);
    void enableBy(QWidget* row, const QString& flag);
    void followRange();
    void followHeight();

    QPointer<Document> m_document;
    QWidget* m_panel;
    KeyPathBindings* m_bindings;
    QLineEdit* m_fileName = nullptr;
    QSpinBox* m_start = nullptr;
    QSpinBox* m_end = nullptr;
    QWidget* m_range = nullptr;
    QPointer<LayoutConstraint> m_optionsHeight;
};

} // namespace ql
