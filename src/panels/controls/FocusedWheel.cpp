#include "panels/controls/FocusedWheel.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPointer>
#include <QScrollBar>

namespace ql {

namespace {

const char* const coveredProperty = "ql.focusedWheel";

bool turnsByWheel(const QWidget& widget)
{
    if (qobject_cast<const QScrollBar*>(&widget))
        return false;
    return qobject_cast<const QComboBox*>(&widget) || qobject_cast<const QAbstractSpinBox*>(&widget)
        || qobject_cast<const QAbstractSlider*>(&widget);
}

bool isCovered(const QWidget& widget)
{
    for (const QWidget* w = &widget; w; w = w->parentWidget()) {
        if (w->property(coveredProperty).toBool())
            return true;
        if (w->isWindow())
            break;
    }
    return false;
}

// A control that takes the focus from the wheel would be focused by the
// very notch that passes over it: only a click or Tab gives it the focus.
void focusByClickOrTab(QWidget& control)
{
    if ((control.focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
        control.setFocusPolicy(Qt::StrongFocus);
}

class Filter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Wheel && type != QEvent::Polish)
            return false;
        auto* control = qobject_cast<QWidget*>(watched);
        if (!control || !turnsByWheel(*control) || !isCovered(*control))
            return false;
        if (type == QEvent::Polish) {
            focusByClickOrTab(*control);
            return false;
        }
        if (control->hasFocus())
            return false;
        // Ignored and taken: the application hands it on to the parents.
        event->ignore();
        return true;
    }
};

} // namespace

void FocusedWheel::cover(QWidget* root)
{
    static QPointer<Filter> filter;
    if (!filter && qApp) {
        filter = new Filter(qApp);
        qApp->installEventFilter(filter);
    }
    root->setProperty(coveredProperty, true);
    if (turnsByWheel(*root))
        focusByClickOrTab(*root);
    for (QWidget* control : root->findChildren<QWidget*>()) {
        if (turnsByWheel(*control))
            focusByClickOrTab(*control);
    }
}

} // namespace ql
