#include "shapes/df/DFDrawablePath.h"

#include "shapes/df/DFArchiving.h"

#include <cmath>

namespace {

ql::BezierPath geometryOf(const ql::BezierPath& path)
{
    ql::BezierPath geometry;
    geometry.append(path);
    geometry.setWindingRule(path.windingRule());
    return geometry;
}

bool usable(double value)
{
    return std::isfinite(value) && std::abs(value) <= ql::df::largestCoordinate;
}

} // namespace

DFDrawablePath::DFDrawablePath(const ql::BezierPath& path) : m_path(geometryOf(path)) {}

DFDrawablePath::DFDrawablePath(const DFDrawablePath& other) : DFDrawable(other), m_path(other.m_path), m_angle(other.m_angle) {}

DFDrawablePath::~DFDrawablePath() = default;

void DFDrawablePath::setPath(const ql::BezierPath& path)
{
    m_path = geometryOf(path);
    notifyChanged();
}

QPointF DFDrawablePath::location() const
{
    return m_path.bounds().topLeft();
}

void DFDrawablePath::setLocation(QPointF location)
{
    if (!usable(location.x()) || !usable(location.y()))
        return;
    const QPointF shift = location - this->location();
    m_path.transform(QTransform::fromTranslate(shift.x(), shift.y()));
    notifyChanged();
}

QSizeF DFDrawablePath::size() const
{
    return m_path.bounds().size();
}

void DFDrawablePath::setSize(QSizeF size)
{
    if (!usable(size.width()) || !usable(size.height()))
        return;
    const QRectF box = m_path.bounds();
    const double sx = box.width() > 0.0 ? size.width() / box.width() : 1.0;
    const double sy = box.height() > 0.0 ? size.height() / box.height() : 1.0;
    QTransform t = QTransform::fromTranslate(-box.left(), -box.top());
    t *= QTransform::fromScale(sx, sy);
    t *= QTransform::fromTranslate(box.left(), box.top());
    m_path.transform(t);
    notifyChanged();
}

void DFDrawablePath::setAngle(double radians)
{
    if (!std::isfinite(radians))
        return;
    const QPointF c = m_path.bounds().center();
    QTransform t = QTransform::fromTranslate(-c.x(), -c.y());
    t *= QTransform().rotateRadians(radians - m_angle);
    t *= QTransform::fromTranslate(c.x(), c.y());
    m_path.transform(t);
    m_angle = radians;
    notifyChanged();
}

std::unique_ptr<DFDrawable> DFDrawablePath::copy() const
{
    return std::unique_ptr<DFDrawable>(new DFDrawablePath(*this));
}

QStringList DFDrawablePath::archiveClassChain() const
{
    return {QStringLiteral("DFDrawablePath"), QStringLiteral("DFDrawable"), QStringLiteral("NSObject")};
}

void DFDrawablePath::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFDrawable::encodeWithCoder(coder);
    coder.encodeObject(QStringLiteral("path"), QVariant::fromValue(m_path));
    coder.encodeDouble(QStringLiteral("angle"), m_angle);
}

void DFDrawablePath::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFDrawable::initWithCoder(coder);
    ql::BezierPath read;
    if (ql::df::readValue(coder, QStringLiteral("path"), read)) {
        const QRectF box = read.controlPointBounds();
        // Points beyond any page would only make drawing crawl.
        if (usable(box.left()) && usable(box.right()) && usable(box.top()) && usable(box.bottom()))
            m_path = geometryOf(read);
    }
    ql::df::readDouble(coder, QStringLiteral("angle"), m_angle, 1.0e4);
}
