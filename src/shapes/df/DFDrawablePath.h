// A drawable that is its path: the points are kept in drawing coordinates,
// so the point tools edit them directly. Its location is the top-left
// corner of the path's bounds.
#pragma once

#include "shapes/df/DFDrawable.h"

class DFDrawablePath : public DFDrawable {
    Q_OBJECT
public:
    explicit DFDrawablePath(const ql::BezierPath& path = {});
    ~DFDrawablePath() override;

    ql::BezierPath path() const override { return m_path; }
    // Only the geometry and winding rule are kept; the style strokes it.
    void setPath(const ql::BezierPath& path);

    QPointF location() const override;
    // Moves the points so that the bounds' top-left corner lies there.
    void setLocation(QPointF location) override;
    QSizeF size() const override;
    // Scales the points about the top-left corner; a flat axis stays flat.
    void setSize(QSizeF size) override;
    double angle() const override { return m_angle; }
    // Turns the points about the bounds' centre by the change of angle.
    void setAngle(double radians) override;

    std::unique_ptr<DFDrawable> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFDrawablePath(const DFDrawablePath& other);

private:
    ql::BezierPath m_path;
    double m_angle = 0.0;
};
