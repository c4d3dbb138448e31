// The text container of every text box: a rectangle with exclusion zones
// that lines flow around. The page hands each box the rectangles that the
// wrapping elements above it cover; each is kept padded (15 points more on
// the left, 3 on the right, 5 above and below) under a key. Asked where a
// line may go, the container cuts the proposed line around the zones it
// meets: obstacles closer than 20 points act as one, a fragment may start
// right of an obstacle that begins within 20 points of the line's start,
// a zone spanning the width pushes the line below it, and what is left of
// a line narrower than 20 points is not used.
#pragma once

#include "content/text/TextContainer.h"

#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>

// Rectangles sorted on an axis (0: x, 1: y) by insertion, ties keeping their
// order; any other axis keeps the input order.
QList<QRectF> CHSortedRects(const QList<QRectF>& rects, int axis);
// Rectangles sorted on an axis, each run whose next member starts at most
// `gap` after the current one ends joined into one; any other axis keeps
// the first rectangle of each run.
QList<QRectF> CHMergedRects(const QList<QRectF>& sorted, int axis, double gap);
// The smallest bottom edge (y + height); the largest double when empty.
double CHNearestBottom(const QList<QRectF>& rects);

class CHNotebookTextContainer : public ql::text::TextContainer {
public:
    // One distance serves every tolerance of the line cutting: the merge
    // gap, the edge and start tolerances and the narrowest usable rest.
    static constexpr double kTolerance = 20.0;

    explicit CHNotebookTextContainer(QSizeF size = QSizeF(1e7, 1e7));

    // While grouping, zone changes do not lay the text out again; ending a
    // group does not either, so the caller relays out once.
    bool clipGrouping() const { return m_clipGrouping; }
    void beginClipGrouping() { m_clipGrouping = true; }
    void endClipGrouping() { m_clipGrouping = false; }

    // The zones, already padded, by key.
    const QMap<QString, QRectF>& layoutClippings() const { return m_layoutClippings; }
    void removeAllClippingRects();
    // Stores the rectangle padded under the key; a zero or non-finite
    // rectangle (nothing to avoid) removes the key instead, and a null key
    // does nothing.
    void setClippingRect(const QRectF& rect, const QString& key);
    // The padding a stored zone gets around the rectangle it was given.
    static QRectF paddedZone(const QRectF& rect);

    bool isSimpleRectangularTextContainer() const override { return m_layoutClippings.isEmpty(); }
    QRectF lineFragmentRectForProposedRect(const QRectF& proposed, QRectF* remaining) const override;
    // False inside a zone; the container's own bounds are not tested.
    bool containsPoint(QPointF point) const override;

private:
    void zonesChanged();

    QMap<QString, QRectF> m_layoutClippings;
    bool m_clipGrouping = false;
};
