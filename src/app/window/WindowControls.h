// The window's controls outside the menus (toolbar buttons, drawing tools,
// the browsers' fields) act through commands, as menu items do. A command is
// a QAction in the window's object tree named by its selector ("insertImage:"),
// with its tag as data when it has one: a menu item, a command made with
// WindowMenus::addCommand, or any QAction a pane's controller names so. A
// control is enabled only while its command exists and validates as a menu
// item would; using it triggers the command. So a control whose command is
// not built yet is disabled, and enables itself once the command is there.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QAction;
class QLineEdit;
class QWidget;

namespace ql {

class WindowMenus;

class WindowControls : public QObject {
    Q_OBJECT
public:
    explicit WindowControls(WindowMenus& menus);

    // A click triggers the command.
    void bindButton(QAbstractButton* button, const QString& selector, int tag = -1);
    // Return triggers the command, or every change of the text when the
    // field is continuous.
    void bindField(QLineEdit* field, const QString& selector, bool continuous);

    // Enables each control by its command; done whenever the menus validate.
    void validate();

private:
    struct Binding {
        QPointer<QWidget> control;
        QString selector;
        int tag = -1;
        // The command last found: searching the window's whole tree on every
        // validation (each key press) would cost more than the key itself.
        QPointer<QAction> command;
    };

    void bind(QWidget* control, const QString& selector, int tag);
    void trigger(const QString& selector, int tag);

    WindowMenus& m_menus;
    QList<Binding> m_bindings;
};

} // namespace ql
