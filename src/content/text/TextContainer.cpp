#include "content/text/TextContainer.h"

#include "content/text/FlowLayout.h"

#include <cmath>
#include <utility>

namespace ql::text {

namespace {

double nonNegative(double value)
{
    return std::isfinite(value) && value > 0.0 ? value : 0.0;
}

// Lines that end within this of the bottom still fit; sums of line heights
// carry rounding.
constexpr double kTolerance = 1e-6;

} // namespace

TextContainer::TextContainer(QSizeF size) : m_size(nonNegative(size.width()), nonNegative(size.height())) {}

TextContainer::~TextContainer()
{
    if (m_layout)
        m_layout->removeTextContainer(this);
}

FlowLayout* TextContainer::layoutManager() const
{
    return m_layout.data();
}

void TextContainer::setContainerSize(QSizeF size)
{
    const QSizeF safe(nonNegative(size.width()), nonNegative(size.height()));
    if (safe == m_size)
        return;
    const QSizeF old = std::exchange(m_size, safe);
    ++m_geometryRevision;
    if (m_layout)
        m_layout->textContainerChangedSize(this, old);
}

void TextContainer::setLineFragmentPadding(double padding)
{
    const double safe = nonNegative(padding);
    if (safe == m_lineFragmentPadding)
        return;
    m_lineFragmentPadding = safe;
    textContainerChangedGeometry();
}

QRectF TextContainer::lineFragmentRectForProposedRect(const QRectF& proposed, QRectF* remaining) const
{
    if (remaining)
        *remaining = QRectF();
    if (!(proposed.height() > 0) || proposed.y() + proposed.height() > m_size.height() + kTolerance)
        return QRectF();
    const double left = std::max(proposed.left(), 0.0);
    const double right = std::min(proposed.right(), m_size.width());
    if (!(right > left))
        return QRectF();
    return QRectF(left, proposed.y(), right - left, proposed.height());
}

bool TextContainer::containsPoint(QPointF point) const
{
    return QRectF(QPointF(0, 0), m_size).contains(point);
}

void TextContainer::textContainerChangedGeometry()
{
    ++m_geometryRevision;
    if (m_layout)
        m_layout->textContainerChangedGeometry(this);
}

} // namespace ql::text
