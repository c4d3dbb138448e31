#include "content/text/CHNotebookTextContainer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double start(const QRectF& rect, int axis)
{
    return axis == 0 ? rect.x() : rect.y();
}

double end(const QRectF& rect, int axis)
{
    return axis == 0 ? rect.x() + rect.width() : rect.y() + rect.height();
}

bool isFinite(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height());
}

// Overlap with area: rectangles that only touch do not meet.
bool meets(const QRectF& a, const QRectF& b)
{
    return a.x() < b.x() + b.width() && b.x() < a.x() + a.width() && a.y() < b.y() + b.height()
        && b.y() < a.y() + a.height();
}

QRectF united(const QRectF& a, const QRectF& b)
{
    const double left = std::min(a.x(), b.x());
    const double top = std::min(a.y(), b.y());
    const double right = std::max(a.x() + a.width(), b.x() + b.width());
    const double bottom = std::max(a.y() + a.height(), b.y() + b.height());
    return QRectF(left, top, right - left, bottom - top);
}

} // namespace

QList<QRectF> CHSortedRects(const QList<QRectF>& rects, int axis)
{
    if (axis != 0 && axis != 1)
        return rects;
    QList<QRectF> sorted;
    sorted.reserve(rects.size());
    for (const QRectF& rect : rects) {
        const auto before = std::find_if(sorted.begin(), sorted.end(),
                                         [&](const QRectF& placed) { return start(placed, axis) > start(rect, axis); });
        sorted.insert(before, rect);
    }
    return sorted;
}

QList<QRectF> CHMergedRects(const QList<QRectF>& sorted, int axis, double gap)
{
    QList<QRectF> merged;
    if (sorted.isEmpty())
        return merged;
    const bool joins = axis == 0 || axis == 1;
    QRectF current = sorted.first();
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        const QRectF& next = sorted.at(i);
        if (start(next, axis) <= end(current, axis) + gap) {
            if (joins)
                current = united(current, next);
            continue;
        }
        merged.append(current);
        current = next;
    }
    merged.append(current);
    return merged;
}

double CHNearestBottom(const QList<QRectF>& rects)
{
    double nearest = std::numeric_limits<double>::max();
    for (const QRectF& rect : rects)
        nearest = std::min(nearest, rect.y() + rect.height());
    return nearest;
}

CHNotebookTextContainer::CHNotebookTextContainer(QSizeF size) : TextContainer(size) {}

QRectF CHNotebookTextContainer::paddedZone(const QRectF& rect)
{
    return QRectF(rect.x() - 15.0, rect.y() - 5.0, rect.width() + 18.0, rect.height() + 10.0);
}

void CHNotebookTextContainer::zonesChanged()
{
    if (!m_clipGrouping)
        textContainerChangedGeometry();
}

void CHNotebookTextContainer::removeAllClippingRects()
{
    m_layoutClippings.clear();
    zonesChanged();
}

void CHNotebookTextContainer::setClippingRect(const QRectF& rect, const QString& key)
{
    if (key.isNull())
        return;
    // The zero rectangle stands for a missing one: it is tested before the
    // padding, which would turn it into an 18 × 10 zone.
    const bool nothing = (rect.x() == 0 && rect.y() == 0 && rect.width() == 0 && rect.height() == 0) || !isFinite(rect);
    if (nothing)
        m_layoutClippings.remove(key);
    else
        m_layoutClippings.insert(key, paddedZone(rect));
    zonesChanged();
}

bool CHNotebookTextContainer::containsPoint(QPointF point) const
{
    for (const QRectF& zone : m_layoutClippings) {
        if (zone.contains(point))
            return false;
    }
    return true;
}

QRectF CHNotebookTextContainer::lineFragmentRectForProposedRect(const QRectF& proposed, QRectF* remaining) const
{
    const double width = containerSize().width();
    if (proposed.y() + proposed.height() > containerSize().height())
        return TextContainer::lineFragmentRectForProposedRect(proposed, remaining);
    QList<QRectF> hits;
    for (const QRectF& zone : m_layoutClippings) {
        if (meets(zone, proposed))
            hits.append(zone);
    }
    if (hits.isEmpty())
        return TextContainer::lineFragmentRectForProposedRect(proposed, remaining);

    const QList<QRectF> sorted = CHSortedRects(hits, 0);
    const QList<QRectF> merged = CHMergedRects(sorted, 0, kTolerance);
    QRectF fragment;
    QRectF rest;
    const QRectF& first = merged.first();
    if (merged.size() == 1 && first.x() <= kTolerance && first.x() + first.width() >= width - kTolerance) {
        // Nothing passes beside it: the same line, full width, below the
        // nearest bottom edge among the obstacles met. Asked again through
        // the virtual call, so that a kind of container of its own answers.
        const QRectF below(proposed.x(), CHNearestBottom(sorted), width, proposed.height());
        fragment = lineFragmentRectForProposedRect(below, &rest);
    } else {
        fragment.setY(proposed.y());
        fragment.setHeight(proposed.height());
        const bool twoOrMore = merged.size() > 1;
        const QRectF second = twoOrMore ? merged.at(1) : QRectF();
        const double firstRight = first.x() + first.width();
        if (proposed.x() + kTolerance >= first.x()) {
            // The line starts right of the first obstacle. An obstacle that
            // reaches past the right edge leaves no room, never a negative
            // width: the layout then moves the line down.
            fragment.setX(firstRight);
            if (twoOrMore) {
                fragment.setWidth(std::max(0.0, second.x() - firstRight));
                const double secondRight = second.x() + second.width();
                rest = QRectF(secondRight, proposed.y(), width - secondRight, proposed.height());
            } else {
                fragment.setWidth(std::max(0.0, width - firstRight));
            }
        } else {
            fragment.setX(proposed.x());
            fragment.setWidth(first.x() - proposed.x());
            const double restRight = twoOrMore ? second.x() : width;
            rest = QRectF(firstRight, proposed.y(), restRight - firstRight, proposed.height());
        }
    }
    if (!(rest.width() > kTolerance))
        rest = QRectF();
    if (remaining)
        *remaining = rest;
    return fragment;
}
