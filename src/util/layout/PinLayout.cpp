#include "util/layout/PinLayout.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace ql {

using Attribute = LayoutConstraint::Attribute;

// The pins of one host widget, resolved together.
class PinHost : public QObject {
    Q_OBJECT
public:
    explicit PinHost(QWidget* host) : QObject(host), m_host(host)
    {
        setObjectName(QStringLiteral("ql.pinHost"));
        host->installEventFilter(this);
    }

    static PinHost* of(QWidget* host, bool create)
    {
        if (auto* found = host->findChild<PinHost*>(QStringLiteral("ql.pinHost"), Qt::FindDirectChildrenOnly))
            return found;
        return create ? new PinHost(host) : nullptr;
    }

    void add(LayoutConstraint* pin)
    {
        pin->setParent(this);
        watch(pin->view());
        watch(pin->other());
        if (pin->view())
            watch(pin->view()->parentWidget());
        layout();
    }

    void layout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::LayoutRequest:
            if (watched != this)
                layout();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void watch(QWidget* widget)
    {
        if (widget && widget != m_host && !m_watched.contains(widget)) {
            m_watched.append(widget);
            widget->installEventFilter(this);
        }
    }

    // A rectangle of `widget` in its window's coordinates, where pins of all
    // levels meet.
    static QRectF inWindow(const QWidget* widget)
    {
        const QWidget* top = widget->window();
        const QPoint origin = widget == top ? QPoint(0, 0) : widget->mapTo(top, QPoint(0, 0));
        return QRectF(QPointF(origin), QSizeF(widget->size()));
    }

    // Every pin of `view`, whichever ancestor hosts it.
    static QList<LayoutConstraint*> pinsOf(const QWidget* view)
    {
        QList<LayoutConstraint*> pins;
        for (const QWidget* each = view; each; each = each->parentWidget()) {
            if (PinHost* host = of(const_cast<QWidget*>(each), false)) {
                for (LayoutConstraint* pin : host->findChildren<LayoutConstraint*>(Qt::FindDirectChildrenOnly)) {
                    if (pin->view() == view)
                        pins.append(pin);
                }
            }
        }
        return pins;
    }

    static double read(const QRectF& rect, Attribute attribute)
    {
        switch (attribute) {
        case Attribute::Left: return rect.left();
        case Attribute::Right: return rect.right();
        case Attribute::Top: return rect.top();
        case Attribute::Bottom: return rect.bottom();
        case Attribute::Width: return rect.width();
        case Attribute::Height: return rect.height();
        case Attribute::CenterX: return rect.center().x();
        case Attribute::CenterY: return rect.center().y();
        }
        return 0;
    }

    bool place(QWidget* view);

    QPointer<QWidget> m_host;
    QList<QPointer<QWidget>> m_watched;
    bool m_busy = false;
};

namespace {

int depthBelow(const QWidget* widget, const QWidget* ancestor)
{
    int depth = 0;
    for (const QWidget* each = widget; each && each != ancestor; each = each->parentWidget())
        ++depth;
    return depth;
}

QWidget* commonAncestor(QWidget* a, QWidget* b)
{
    for (QWidget* each = a; each; each = each->parentWidget()) {
        if (each == b || each->isAncestorOf(b))
            return each;
    }
    return nullptr;
}

// Solves one axis from what the pins fix: start, end, size and centre.
struct AxisPins {
    std::optional<double> start, end, size, centre;

    std::pair<double, double> solve(double currentStart, double currentSize) const
    {
        if (start && end)
            return {*start, *end - *start};
        const double length = size.value_or(currentSize);
        if (start)
            return {*start, length};
        if (end)
            return {*end - length, length};
        if (centre)
            return {*centre - length / 2, length};
        return {currentStart, length};
    }
};

LayoutConstraint* install(QWidget* view, Attribute attribute, QWidget* other, Attribute otherAttribute,
                          double constant)
{
    if (!view)
        return nullptr;
    auto* pin = new LayoutConstraint(view, attribute, other, otherAttribute, constant);
    QWidget* host = pin->host();
    if (!host) {
        delete pin;
        return nullptr;
    }
    PinHost::of(host, true)->add(pin);
    return pin;
}

// Keeps a height pin at what its view's layout needs, whenever the view's
// width or content changes.
class HeightFitter : public QObject {
public:
    HeightFitter(LayoutConstraint* pin, double minimum) : QObject(pin), m_pin(pin), m_minimum(minimum)
    {
        pin->view()->installEventFilter(this);
        fit();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize)
            fit();
        return false;
    }

private:
    void fit()
    {
        const QWidget* view = m_pin->view();
        const QLayout* layout = view ? view->layout() : nullptr;
        double needed = m_minimum;
        // A view not yet laid out would ask for one word a line.
        if (layout && view->width() > 0) {
            needed = std::max(needed, double(layout->hasHeightForWidth() ? layout->totalHeightForWidth(view->width())
                                                                        : layout->totalSizeHint().height()));
        }
        if (needed != m_pin->constant())
            m_pin->setConstant(needed);
    }

    LayoutConstraint* m_pin;
    double m_minimum;
};

Attribute edgeAttribute(PinEdge edge)
{
    switch (edge) {
    case PinEdge::Left: return Attribute::Left;
    case PinEdge::Right: return Attribute::Right;
    case PinEdge::Top: return Attribute::Top;
    case PinEdge::Bottom: return Attribute::Bottom;
    }
    return Attribute::Left;
}

Attribute dimensionAttribute(PinDimension dimension)
{
    return dimension == PinDimension::Width ? Attribute::Width : Attribute::Height;
}

} // namespace

bool PinHost::place(QWidget* view)
{
    const QList<LayoutConstraint*> pins = pinsOf(view);
    AxisPins horizontal;
    AxisPins vertical;
    for (const LayoutConstraint* pin : pins) {
        double value = pin->constant();
        if (QWidget* other = pin->other())
            value += read(inWindow(other), pin->otherAttribute());
        switch (pin->attribute()) {
        case Attribute::Left: horizontal.start = value; break;
        case Attribute::Right: horizontal.end = value; break;
        case Attribute::Width: horizontal.size = value; break;
        case Attribute::CenterX: horizontal.centre = value; break;
        case Attribute::Top: vertical.start = value; break;
        case Attribute::Bottom: vertical.end = value; break;
        case Attribute::Height: vertical.size = value; break;
        case Attribute::CenterY: vertical.centre = value; break;
        }
    }
    const QRectF current = inWindow(view);
    const auto [x, width] = horizontal.solve(current.x(), current.width());
    const auto [y, height] = vertical.solve(current.y(), current.height());
    QPointF origin(x, y);
    if (QWidget* parent = view->parentWidget())
        origin -= inWindow(parent).topLeft();
    const QRect target(origin.toPoint(), QSize(qMax(0, qRound(width)), qMax(0, qRound(height))));
    if (view->geometry() == target)
        return false;
    view->setGeometry(target);
    return true;
}

void PinHost::layout()
{
    if (m_busy || !m_host)
        return;
    m_busy = true;
    QList<QWidget*> views;
    for (LayoutConstraint* pin : findChildren<LayoutConstraint*>(Qt::FindDirectChildrenOnly)) {
        if (pin->view() && !views.contains(pin->view()))
            views.append(pin->view());
    }
    std::sort(views.begin(), views.end(), [this](const QWidget* a, const QWidget* b) {
        return depthBelow(a, m_host) < depthBelow(b, m_host);
    });
    // Pins across levels can depend on each other's results: a few passes settle them.
    for (int pass = 0; pass < 4; ++pass) {
        bool moved = false;
        for (QWidget* view : std::as_const(views))
            moved = place(view) || moved;
        if (!moved)
            break;
    }
    m_busy = false;
}

LayoutConstraint::LayoutConstraint(QWidget* view, Attribute attribute, QWidget* other, Attribute otherAttribute,
                                   double constant)
    : m_view(view), m_attribute(attribute), m_other(other), m_otherAttribute(otherAttribute), m_constant(constant)
{
}

QWidget* LayoutConstraint::host() const
{
    if (!m_view)
        return nullptr;
    if (!m_other)
        return m_view->parentWidget() ? m_view->parentWidget() : m_view.data();
    return commonAncestor(m_view, m_other);
}

void LayoutConstraint::setConstant(double constant)
{
    m_constant = constant;
    if (auto* owner = qobject_cast<PinHost*>(parent()))
        owner->layout();
}

void LayoutConstraint::autoRemove()
{
    auto* owner = qobject_cast<PinHost*>(parent());
    setParent(nullptr);
    if (owner)
        owner->layout();
    deleteLater();
}

LayoutConstraint* autoPinEdgeToSuperviewEdge(QWidget* view, PinEdge edge, double inset)
{
    if (!view || !view->parentWidget())
        return nullptr;
    const bool far = edge == PinEdge::Right || edge == PinEdge::Bottom;
    return install(view, edgeAttribute(edge), view->parentWidget(), edgeAttribute(edge), far ? -inset : inset);
}

QList<LayoutConstraint*> autoPinEdgesToSuperviewEdgesWithInsets(QWidget* view, const QMarginsF& insets)
{
    // QMarginsF holds left, top, right, bottom; the operation's order is top,
    // left, bottom, right.
    return {autoPinEdgeToSuperviewEdge(view, PinEdge::Top, insets.top()),
            autoPinEdgeToSuperviewEdge(view, PinEdge::Left, insets.left()),
            autoPinEdgeToSuperviewEdge(view, PinEdge::Bottom, insets.bottom()),
            autoPinEdgeToSuperviewEdge(view, PinEdge::Right, insets.right())};
}

LayoutConstraint* autoPinEdge(QWidget* view, PinEdge edge, PinEdge toEdge, QWidget* ofView, double offset)
{
    return install(view, edgeAttribute(edge), ofView, edgeAttribute(toEdge), offset);
}

LayoutConstraint* autoSetDimension(QWidget* view, PinDimension dimension, double size)
{
    return install(view, dimensionAttribute(dimension), nullptr, dimensionAttribute(dimension), size);
}

LayoutConstraint* autoMatchDimension(QWidget* view, PinDimension dimension, PinDimension toDimension, QWidget* ofView,
                                     double offset)
{
    return install(view, dimensionAttribute(dimension), ofView, dimensionAttribute(toDimension), offset);
}

LayoutConstraint* autoAlignAxis(QWidget* view, PinAxis axis, QWidget* ofView)
{
    const Attribute attribute = axis == PinAxis::Vertical ? Attribute::CenterX : Attribute::CenterY;
    return install(view, attribute, ofView, attribute, 0);
}

LayoutConstraint* autoFitHeight(QWidget* view, double minimum)
{
    LayoutConstraint* pin = autoSetDimension(view, PinDimension::Height, minimum);
    if (pin)
        new HeightFitter(pin, minimum);
    return pin;
}

void layoutPinsNow(QWidget* host)
{
    if (!host)
        return;
    const QList<PinHost*> hosts = host->findChildren<PinHost*>(QStringLiteral("ql.pinHost"));
    for (PinHost* each : std::as_const(hosts))
        each->layout();
}

} // namespace ql

#include "PinLayout.moc"
