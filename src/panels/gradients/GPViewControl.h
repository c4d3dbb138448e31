// Base of the gradient controls: an enabled flag that also decides whether
// the control takes keyboard focus, a target and an action (the name of a
// method the target may have), and drawing through drawInContext.
#pragma once

#include <QPointer>
#include <QWidget>

namespace ql {

class GPViewControl : public QWidget {
    Q_OBJECT
public:
    explicit GPViewControl(QWidget* parent = nullptr);

    // Enabled when made or read from an archive; disabling gives up focus.
    void setIsEnabled(bool enabled);
    bool acceptsFirstResponder() const { return isEnabled(); }

    QObject* target() const { return m_target.data(); }
    void setTarget(QObject* target) { m_target = target; }
    // A method of the target taking the control (as a QObject*), or nothing.
    QByteArray action() const { return m_action; }
    void setAction(const QByteArray& action) { m_action = action; }

    // Calls the action on the target when the target has it.
    void performAction();

    // Whether `target` has a method `name` taking a QObject* or nothing;
    // calls it with `sender` when it has. For controls that pass calls on.
    static bool sendToTarget(QObject* target, const QByteArray& name, QObject* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    virtual void drawInContext(QPainter& painter) { (void)painter; }

private:
    QPointer<QObject> m_target;
    QByteArray m_action;
};

} // namespace ql
