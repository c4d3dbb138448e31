#include "shapes/df/DFDrawableShape.h"

#include "shapes/df/DFArchiving.h"

#include <atomic>
#include <cmath>

namespace {

std::atomic<int> classKnobMask {DFDrawableShape::AllKnobs};

bool usable(double value)
{
    return std::isfinite(value) && std::abs(value) <= ql::df::largestCoordinate;
}

} // namespace

DFDrawableShape::DFDrawableShape() = default;

DFDrawableShape::DFDrawableShape(const ql::BezierPath& path)
{
    setPath(path);
}

DFDrawableShape::DFDrawableShape(const DFDrawableShape& other)
    : DFDrawable(other), m_unit(other.m_unit), m_flatX(other.m_flatX), m_flatY(other.m_flatY),
      m_location(other.m_location), m_size(other.m_size), m_angle(other.m_angle)
{
}

DFDrawableShape::~DFDrawableShape() = default;

int DFDrawableShape::knobMask()
{
    return classKnobMask.load();
}

void DFDrawableShape::setKnobMask(int mask)
{
    classKnobMask.store(mask);
}

void DFDrawableShape::adoptOutline(const ql::BezierPath& path)
{
    const QRectF box = path.bounds();
    m_flatX = !(box.width() > 0.0);
    m_flatY = !(box.height() > 0.0);
    QTransform toUnit = QTransform::fromTranslate(-box.center().x(), -box.center().y());
    toUnit *= QTransform::fromScale(m_flatX ? 1.0 : 1.0 / box.width(), m_flatY ? 1.0 : 1.0 / box.height());
    m_unit = path.transformed(toUnit);
    m_location = box.center();
    m_size = QSizeF(m_flatX ? 0.0 : box.width(), m_flatY ? 0.0 : box.height());
}

void DFDrawableShape::setPath(const ql::BezierPath& path)
{
    adoptOutline(path);
    m_angle = 0.0;
    notifyChanged();
}

QTransform DFDrawableShape::shapeTransform() const
{
    QTransform t;
    t.translate(m_location.x(), m_location.y());
    t.rotateRadians(m_angle);
    t.scale(m_flatX ? 1.0 : m_size.width(), m_flatY ? 1.0 : m_size.height());
    return t;
}

ql::BezierPath DFDrawableShape::path() const
{
    return m_unit.transformed(shapeTransform());
}

void DFDrawableShape::setLocation(QPointF location)
{
    if (!usable(location.x()) || !usable(location.y()))
        return;
    m_location = location;
    notifyChanged();
}

QSizeF DFDrawableShape::size() const
{
    return QSizeF(m_flatX ? 0.0 : m_size.width(), m_flatY ? 0.0 : m_size.height());
}

void DFDrawableShape::setSize(QSizeF size)
{
    if (!usable(size.width()) || !usable(size.height()))
        return;
    m_size = size;
    notifyChanged();
}

void DFDrawableShape::setAngle(double radians)
{
    if (!std::isfinite(radians))
        return;
    m_angle = radians;
    notifyChanged();
}

std::unique_ptr<DFDrawable> DFDrawableShape::copy() const
{
    return std::unique_ptr<DFDrawable>(new DFDrawableShape(*this));
}

QStringList DFDrawableShape::archiveClassChain() const
{
    return {QStringLiteral("DFDrawableShape"), QStringLiteral("DFDrawable"), QStringLiteral("NSObject")};
}

void DFDrawableShape::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFDrawable::encodeWithCoder(coder);
    // The outline in its unit box; location, size and angle beside it.
    coder.encodeObject(QStringLiteral("outline"), QVariant::fromValue(m_unit));
    coder.encodePoint(QStringLiteral("location"), m_location);
    coder.encodeSize(QStringLiteral("size"), size());
    coder.encodeDouble(QStringLiteral("angle"), m_angle);
}

void DFDrawableShape::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFDrawable::initWithCoder(coder);
    ql::BezierPath outline;
    if (!ql::df::readValue(coder, QStringLiteral("outline"), outline))
        return;
    // The stored outline is normalised again, so a damaged one cannot
    // leave the unit box.
    adoptOutline(outline);
    QPointF location = m_location;
    if (ql::df::readPointWithin(coder, QStringLiteral("location"), location))
        m_location = location;
    QSizeF size = m_size;
    if (ql::df::readSize(coder, QStringLiteral("size"), size))
        m_size = size;
    double angle = 0.0;
    if (ql::df::readDouble(coder, QStringLiteral("angle"), angle, 1.0e4))
        m_angle = angle;
}
