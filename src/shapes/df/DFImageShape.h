// A shape that may show a picture inside its outline: the picture covers
// the shape's box (keeping its proportions, centred, moved by the image
// offset, turning with the shape) under the style's renderers, at the image
// opacity. Library shapes, converted text and finished drawings are kept
// as image shapes.
#pragma once

#include "platform/graphics/Image.h"
#include "shapes/df/DFDrawableShape.h"

class DFImageShape : public DFDrawableShape {
    Q_OBJECT
public:
    DFImageShape();
    // The outline at the path's bounds: its size, located at their centre.
    explicit DFImageShape(const ql::BezierPath& path);
    ~DFImageShape() override;

    const ql::Image& image() const { return m_image; }
    // A null image shows none.
    void setImage(const ql::Image& image);
    QPointF imageOffset() const { return m_imageOffset; }
    void setImageOffset(QPointF offset);
    double imageOpacity() const { return m_imageOpacity; }
    // Clamped to 0 … 1.
    void setImageOpacity(double opacity);

    std::unique_ptr<DFDrawable> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // The same record without the picture (an owner that keeps the picture
    // elsewhere writes it so).
    void encodeWithoutImage(ql::KeyedArchiver& coder) const;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFImageShape(const DFImageShape& other);
    void drawContent(QPainter& painter, const DFStyle& style) const override;

private:
    void encode(ql::KeyedArchiver& coder, bool withImage) const;

    ql::Image m_image;
    QPointF m_imageOffset;
    double m_imageOpacity = 1.0;
};
