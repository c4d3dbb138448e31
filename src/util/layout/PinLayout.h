// Layout by pins, as the panes lay themselves out: each pin fixes one edge,
// size or centre line of a widget to a constant or to an edge, size or centre
// line of another widget, at any depth. A pin lives on the nearest common
// ancestor of the two widgets (its host), which resolves its pins whenever
// one of the widgets involved moves or changes size. Widgets without pins are
// left to Qt's own layouts.
#pragma once

#include <QList>
#include <QMarginsF>
#include <QObject>
#include <QPointer>

#include <QWidget>

namespace ql {

enum class PinEdge { Left = 1, Right = 2, Top = 3, Bottom = 4 };
enum class PinDimension { Width = 7, Height = 8 };
// The vertical centre line (a horizontal position) and the horizontal one.
enum class PinAxis { Vertical = 9, Horizontal = 10 };

class PinHost;

// One installed pin. `autoRemove` takes it away; the host lays out again.
class LayoutConstraint : public QObject {
    Q_OBJECT
public:
    // What a pin relates: the attribute of `view` equals the attribute of
    // `other` (none for a constant) plus `constant`.
    enum class Attribute { Left, Right, Top, Bottom, Width, Height, CenterX, CenterY };

    LayoutConstraint(QWidget* view, Attribute attribute, QWidget* other, Attribute otherAttribute, double constant);

    QWidget* view() const { return m_view.data(); }
    Attribute attribute() const { return m_attribute; }
    QWidget* other() const { return m_other.data(); }
    Attribute otherAttribute() const { return m_otherAttribute; }
    double constant() const { return m_constant; }
    void setConstant(double constant);
    QWidget* host() const;

    void autoRemove();

private:
    QPointer<QWidget> m_view;
    Attribute m_attribute;
    QPointer<QWidget> m_other;
    Attribute m_otherAttribute;
    double m_constant;
};

// The operations, each installing one pin (four for the edge insets).
// Insets count inwards from the superview's edges; offsets to another view's
// edge count rightwards and downwards.
LayoutConstraint* autoPinEdgeToSuperviewEdge(QWidget* view, PinEdge edge, double inset = 0);
// Insets in the order top, left, bottom, right.
QList<LayoutConstraint*> autoPinEdgesToSuperviewEdgesWithInsets(QWidget* view, const QMarginsF& insets);
LayoutConstraint* autoPinEdge(QWidget* view, PinEdge edge, PinEdge toEdge, QWidget* ofView, double offset = 0);
LayoutConstraint* autoSetDimension(QWidget* view, PinDimension dimension, double size);
LayoutConstraint* autoMatchDimension(QWidget* view, PinDimension dimension, PinDimension toDimension, QWidget* ofView,
                                     double offset = 0);
LayoutConstraint* autoAlignAxis(QWidget* view, PinAxis axis, QWidget* ofView);
// A height of at least `minimum` that grows to what the view's layout needs at
// its width (wrapped texts, rows of buttons), so that nothing in it is cut.
LayoutConstraint* autoFitHeight(QWidget* view, double minimum);

// Resolves the pins hosted by `host` and below it now.
void layoutPinsNow(QWidget* host);

} // namespace ql
