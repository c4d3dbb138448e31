// The vector shape content of an element: one library shape (its outline for
// now; the drawing framework's shape object stands in later), its library
// name, the room kept around it, and the fill background with its picture
// offset. Styling, sizing and adjustment build on it later.
#pragma once

#include "content/ZVImageView.h"
#include "platform/graphics/BezierPath.h"

#include <QPointF>
#include <memory>

class ZVBackgroundView;
namespace ql::fields {
template <class C>
class Record;
}

class ZVVectorView : public ZVImageView {
    Q_OBJECT
public:
    explicit ZVVectorView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    ~ZVVectorView() override;
    const ql::PropertyTable& properties() const override;

    // Also hands the element's own background the element and its page.
    void setPuttyView(ZVPuttyView* element) override;

    const ql::BezierPath& shape() const { return m_shape; }
    // An empty path changes nothing, as a missing shape does.
    void setShape(const ql::BezierPath& shape);
    QString shapeName() const { return m_shapeName; }
    // Names with adjustment settings of their own keep the shape adjustable.
    void setShapeName(const QString& name);
    bool isAdjustable() const { return m_adjustable; }

    double extraDownscale() const { return m_extraDownscale; }
    void setExtraDownscale(double extra);

    // The shape's fill; always present.
    ZVBackgroundView* backgroundView() const { return m_backgroundView; }
    // Replaces the fill background (a reader's); null keeps the present one.
    void setBackgroundView(ZVBackgroundView* background);
    QPointF backgroundOffset() const { return m_backgroundOffset; }
    void setBackgroundOffset(QPointF offset);
    QPointF imageOrigin() const { return m_imageOrigin; }
    void setImageOrigin(QPointF origin);

    // An independent copy with its own shape and fill, for drawing with
    // changed colours without touching the element.
    std::unique_ptr<ZVVectorView> copy() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    static const ql::fields::Record<ZVVectorView>& archiveRecord();

    ql::BezierPath m_shape;
    QString m_shapeName;
    bool m_adjustable = false;
    double m_extraDownscale = 0.0;
    ZVBackgroundView* m_backgroundView = nullptr;
    QPointF m_backgroundOffset;
    QPointF m_imageOrigin;
};
