#include "shapes/ZVVectorView.h"

#include "canvas/ZVPuttyView.h"
#include "content/OwnedChild.h"
#include "content/ZVBackgroundView.h"

ZVVectorView::ZVVectorView(const QRectF& frame, QObject* parent) : ZVImageView(frame, parent)
{
    m_backgroundView = new ZVBackgroundView(frame);
    m_backgroundView->setParent(this);
    m_backgroundView->setVectorBacking(true);
}

ZVVectorView::~ZVVectorView() = default;

const ql::PropertyTable& ZVVectorView::properties() const
{
    using V = ZVVectorView;
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<V>(&imageTable())
            .property("shape", &V::shape, &V::setShape)
            .property("shapeName", &V::shapeName, &V::setShapeName)
            .property("extraDownscale", &V::extraDownscale, &V::setExtraDownscale)
            .property("backgroundView", &V::backgroundView, &V::setBackgroundView)
            .property("backgroundOffset", &V::backgroundOffset, &V::setBackgroundOffset)
            .property("imageOrigin", &V::imageOrigin, &V::setImageOrigin)
            .build();
    return table;
}

void ZVVectorView::setPuttyView(ZVPuttyView* element)
{
    ZVImageView::setPuttyView(element);
    if (!element)
        return;
    // The shape's fill records its changes on the element's document.
    m_backgroundView->setPuttyView(element);
    m_backgroundView->setCurrentPage(element->canvas());
    if (ZVBackgroundView* background = element->backgroundView()) {
        background->setPuttyView(element);
        background->setCurrentPage(element->canvas());
    }
}

void ZVVectorView::setShape(const ql::BezierPath& shape)
{
    if (shape.isEmpty())
        return;
    changeValue(QStringLiteral("shape"), m_shape, shape);
}

void ZVVectorView::setShapeName(const QString& name)
{
    static const QStringList adjustable {
        QStringLiteral("star"),  QStringLiteral("star6"),  QStringLiteral("star7"),         QStringLiteral("star8"),
        QStringLiteral("star20"), QStringLiteral("square"), QStringLiteral("roundedSquare"), QStringLiteral("ring"),
    };
    changeValue(QStringLiteral("shapeName"), m_shapeName, name);
    m_adjustable = adjustable.contains(name);
}

void ZVVectorView::setExtraDownscale(double extra)
{
    changeValue(QStringLiteral("extraDownscale"), m_extraDownscale, extra);
}

void ZVVectorView::setBackgroundView(ZVBackgroundView* background)
{
    replaceOwnedChild(*this, QStringLiteral("backgroundView"), m_backgroundView, background);
}

void ZVVectorView::setBackgroundOffset(QPointF offset)
{
    changeValue(QStringLiteral("backgroundOffset"), m_backgroundOffset, offset);
}

void ZVVectorView::setImageOrigin(QPointF origin)
{
    changeValue(QStringLiteral("imageOrigin"), m_imageOrigin, origin);
}
