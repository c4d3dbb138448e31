// A drawable whose outline is kept in a unit box and placed by a centre, a
// size and an angle, so that resizing and turning never wear the outline.
// Selection knobs are shown as the class-wide knob mask says.
#pragma once

#include "shapes/df/DFDrawable.h"

class DFDrawableShape : public DFDrawable {
    Q_OBJECT
public:
    // Knobs drawn on selected shapes; 0 draws none.
    enum Knob {
        TopLeftKnob = 1 << 0, TopKnob = 1 << 1, TopRightKnob = 1 << 2, RightKnob = 1 << 3,
        BottomRightKnob = 1 << 4, BottomKnob = 1 << 5, BottomLeftKnob = 1 << 6, LeftKnob = 1 << 7,
        AllKnobs = 0xFF,
    };

    DFDrawableShape();
    // The outline where the path lies: size and centre of the path's bounds.
    explicit DFDrawableShape(const ql::BezierPath& path);
    ~DFDrawableShape() override;

    static int knobMask();
    static void setKnobMask(int mask);

    // Replaces the outline by a path in drawing coordinates, placed where it
    // lies (angle 0).
    void setPath(const ql::BezierPath& path);
    ql::BezierPath path() const override;
    // The outline in its unit box (centred on the origin, 1 × 1 unless flat).
    const ql::BezierPath& unitOutline() const { return m_unit; }

    // The centre.
    QPointF location() const override { return m_location; }
    void setLocation(QPointF location) override;
    // Unrotated; an axis on which the outline is flat stays 0.
    QSizeF size() const override;
    // Negative sizes mirror the outline; non-finite ones are ignored.
    void setSize(QSizeF size) override;
    double angle() const override { return m_angle; }
    void setAngle(double radians) override;

    std::unique_ptr<DFDrawable> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFDrawableShape(const DFDrawableShape& other);
    // Unit box to drawing coordinates.
    QTransform shapeTransform() const;

private:
    void adoptOutline(const ql::BezierPath& path);

    ql::BezierPath m_unit;
    bool m_flatX = true;
    bool m_flatY = true;
    QPointF m_location;
    QSizeF m_size;
    double m_angle = 0.0;
};
