#include "canvas/ZVPuttyView.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVHandleView.h"
#include "canvas/ZVLinkTextView.h"
#include "canvas/gestures/Gesture.h"
#include "content/ZV3DTextView.h"
#include "content/OwnedChild.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "platform/Uuid.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFImageShape.h"

#include <QTransform>
#include <algorithm>

ZVPuttyView::ZVPuttyView(QObject* parent) : KVObject(parent)
{
    initialize();
    startObserving();
}

ZVPuttyView::ZVPuttyView(Unbuilt) : KVObject(nullptr)
{
    initialize(false);
    startObserving();
}

ZVPuttyView* ZVPuttyView::forReading()
{
    return new ZVPuttyView(Unbuilt {});
}

ZVPuttyView::~ZVPuttyView() = default;

const ql::PropertyTable& ZVPuttyView::properties() const
{
    using V = ZVPuttyView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<V>(&baseTable())
            .property("frame", &V::frame, &V::setFrame)
            .property("frameCenterRotation", &V::frameCenterRotation, &V::setFrameCenterRotation)
            .property("frameRotation", &V::frameRotation, &V::setFrameRotation)
            .readOnly("bounds", &V::bounds)
            .field("lastDragLocation", &V::m_lastDragLocation)
            .readOnly("contentFrame", &V::contentFrame)
            .field("lastFrame", &V::m_lastFrame)
            .property("topOffset", &V::topOffset, &V::setTopOffset, ValueKind::Number)
            .property("leftOffset", &V::leftOffset, &V::setLeftOffset, ValueKind::Number)
            .property("contentViewType", &V::contentViewType, &V::setContentViewType)
            .property("contentView", &V::contentView, &V::setContentView)
            .property("canvas", &V::canvas, &V::setCanvas)
            .field("isActive", &V::m_isActive)
            .field("isMoving", &V::m_isMoving)
            .field("isRotating", &V::m_isRotating)
            .field("isHighlighted", &V::m_isHighlighted)
            .field("isLocked", &V::m_isLocked)
            .property("keepAspectRatio", &V::keepAspectRatio, &V::setKeepAspectRatio)
            .field("viewID", &V::m_viewID, ValueKind::Number)
            .field("stickPoint", &V::m_stickPoint)
            .property("group", &V::group, &V::setGroup)
            .property("textGroup", &V::textGroup, &V::setTextGroup)
            .property("layoutLayerGroup", &V::layoutLayerGroup, &V::setLayoutLayerGroup)
            .field("firstLoad", &V::m_firstLoad)
            .field("isStuck", &V::m_isStuck)
            .property("backgroundView", &V::backgroundView, &V::setBackgroundView)
            .property("reflectionView", &V::reflectionView, &V::setReflectionView)
            .field("reflectionEnabled", &V::m_reflectionEnabled)
            .field("reflectionOpacity", &V::m_reflectionOpacity, ValueKind::Number)
            .field("reflectionHeight", &V::m_reflectionHeight, ValueKind::Number)
            .property("uuid", &V::uuid, &V::setUuid)
            .field("shadowEnabled", &V::m_shadowEnabled)
            .field("shadowSupported", &V::m_shadowSupported)
            .field("shadowOffset", &V::m_shadowOffset, ValueKind::Number)
            .field("shadowAngle", &V::m_shadowAngle, ValueKind::Number)
            .field("shadowBlurRadius", &V::m_shadowBlurRadius, ValueKind::Number)
            .field("shadowOpacity", &V::m_shadowOpacity, ValueKind::Number)
            .field("shadowColor", &V::m_shadowColor, ql::valueOf<ql::Color>())
            .field("innerShadowEnabled", &V::m_innerShadowEnabled)
            .field("innerShadowOffset", &V::m_innerShadowOffset, ValueKind::Number)
            .field("innerShadowAngle", &V::m_innerShadowAngle, ValueKind::Number)
            .field("innerShadowBlurRadius", &V::m_innerShadowBlurRadius, ValueKind::Number)
            .field("innerShadowOpacity", &V::m_innerShadowOpacity, ValueKind::Number)
            .field("innerShadowColor", &V::m_innerShadowColor, ql::valueOf<ql::Color>())
            .field("causesWrap", &V::m_causesWrap)
            .field("wrapType", &V::m_wrapType, ValueKind::Number)
            .field("wrapMargins", &V::m_wrapMargins, ValueKind::Number)
            .field("borderEnabled", &V::m_borderEnabled)
            .field("borderType", &V::m_borderType, ValueKind::Number)
            .field("borderWidth", &V::m_borderWidth, ValueKind::Number)
            .field("borderRadius", &V::m_borderRadius, ValueKind::Number)
            .field("borderStyle", &V::m_borderStyle, ValueKind::Number)
            .field("borderColor", &V::m_borderColor, ql::valueOf<ql::Color>())
            .field("borderOpacity", &V::m_borderOpacity, ValueKind::Number)
            .field("layerOpacity", &V::m_layerOpacity, ValueKind::Number)
            .field("imageMode", &V::m_imageMode, ValueKind::Number)
            .field("imageXOffset", &V::m_imageXOffset)
            .field("imageYOffset", &V::m_imageYOffset)
            .property("cropMode", &V::cropMode, &V::setCropMode)
            .field("cropEligible", &V::m_cropEligible)
            .field("cropRect", &V::m_cropRect)
            .field("isCropping", &V::m_isCropping)
            .field("cropScale", &V::m_cropScale, ValueKind::Number)
            .field("hideFromPrinting", &V::m_hideFromPrinting)
            .readOnly("realFrame", &V::realFrame)
            .readOnly("effectiveBorderWidth", &V::effectiveBorderWidth)
            .readOnly("isObserving", &V::isObserving)
            .build();
    return table;
}

void ZVPuttyView::initialize(bool withParts)
{
    m_isStuck = false;
    m_causesWrap = false;
    m_hideFromPrinting = false;
    m_wrapMargins = 0;
    m_wrapType = 0;
    m_isCropping = false;
    m_cropEligible = false;
    m_cropMode = false;
    m_firstLoad = true;
    m_cropScale = 1.0;
    m_isActive = false;
    m_isMoving = false;
    m_isHighlighted = false;
    m_isLocked = false;
    m_keepAspectRatio = true;

    if (withParts)
        makeMissingParts();

    m_reflectionEnabled = false;
    m_reflectionOpacity = 0.5;
    m_reflectionHeight = 40;
    m_shadowSupported = true;
    m_shadowEnabled = false;
    m_shadowOffset = 5.0;
    m_shadowAngle = 240.0;
    m_shadowBlurRadius = 5.0;
    m_shadowOpacity = 0.5;
    m_shadowColor = QVariant::fromValue(ql::Color::black());
    m_innerShadowEnabled = false;
    m_innerShadowOffset = 0.0;
    m_innerShadowAngle = 0.0;
    m_innerShadowBlurRadius = 5.0;
    m_innerShadowOpacity = 0.5;
    m_innerShadowColor = QVariant::fromValue(ql::Color::black());
    m_borderEnabled = false;
    m_borderType = 0;
    m_borderWidth = 2.0;
    m_borderRadius = 0;
    m_borderStyle = 0;
    m_borderColor = QVariant::fromValue(ql::Color::black());
    m_borderOpacity = 1;
    // Just below 1: fully opaque layers would be flattened by the compositor.
    m_layerOpacity = 0.998;
    layout();
}

void ZVPuttyView::makeMissingParts()
{
    if (!m_backgroundView) {
        m_backgroundView = new ZVBackgroundView(this, float(kMargin));
        m_backgroundView->setParent(this);
        m_backgroundView->setPuttyView(this);
        m_backgroundView->setCurrentPage(canvas());
    }
    if (!m_reflectionView) {
        m_reflectionView = new ZVImageView(QRectF(), this);
        m_reflectionView->setImageScaling(ZVImageView::ScaleAxesIndependently);
    }
}

std::unique_ptr<ZVPuttyView> ZVPuttyView::initWithImage(const ql::Image& image)
{
    auto element = std::make_unique<ZVPuttyView>();
    auto* content = new ZVImageView;
    content->setPuttyView(element.get());
    content->setScaleToFill(true);
    const ql::ImageRep first = image.firstRepresentation();
    content->setIsVector(first.isVector());
    const QSizeF size = first.size();
    content->setFrame(QRectF(QPointF(0, 0), size));
    content->setOriginalImage(image);
    content->setImage(image);
    element->setContentViewType(ImageContent);
    element->setContentView(content);
    element->setUuid(ql::newUuidString());
    // The content keeps the picture's size until the caller places the element.
    element->setFrame(QRectF(0, 0, size.width() + 2 * kMargin, size.height() + 2 * kMargin));
    element->applyFirstLoad();
    return element;
}

std::unique_ptr<ZVPuttyView> ZVPuttyView::initWithText()
{
    auto element = std::make_unique<ZVPuttyView>();
    auto* content = new ZVTextView;
    content->setBackgroundColor(ql::Color::clear());
    content->setPuttyView(element.get());
    element->setContentViewType(TextContent);
    element->setContentView(content);
    element->setUuid(ql::newUuidString());
    element->setFrame(QRectF(0, 0, 300, 300));
    element->applyFirstLoad();
    return element;
}

std::unique_ptr<ZVPuttyView> ZVPuttyView::initWithVector(std::unique_ptr<DFDrawable> shape, const QString& name)
{
    auto element = std::make_unique<ZVPuttyView>();
    element->setFrame(QRectF(0, 0, 300, 300));
    auto* content = new ZVVectorView(element->frame());
    content->setPuttyView(element.get());
    content->setShape(std::move(shape));
    content->setShapeName(name);
    element->setContentViewType(VectorContent);
    element->setContentView(content);
    element->setUuid(ql::newUuidString());
    content->setShapeProperties();
    element->applyFirstLoad();
    return element;
}

std::unique_ptr<ZVPuttyView> ZVPuttyView::initWithVector(const ql::BezierPath& outline, const QString& name)
{
    return initWithVector(outline.isEmpty() ? nullptr : std::make_unique<DFImageShape>(outline), name);
}

std::unique_ptr<ZVPuttyView> ZVPuttyView::initWith3DText(const QString& text)
{
    auto element = std::make_unique<ZVPuttyView>();
    auto* content = new ZV3DTextView;
    element->setFrame(QRectF(0, 0, 300, 300));
    element->setContentView(content);
    content->setPuttyView(element.get());
    content->setString(text);
    element->setContentViewType(Text3DContent);
    element->setUuid(ql::newUuidString());
    element->applyFirstLoad();
    return element;
}

void ZVPuttyView::setContentView(ZVContentView* content)
{
    // A content of another element stays with it.
    if (!replaceOwnedChild(*this, QStringLiteral("contentView"), m_contentView, content))
        return;
    // Only a plain image view (not a background or shape) makes this an image element.
    if (content->metaObject() == &ZVImageView::staticMetaObject) {
        static_cast<ZVImageView*>(content)->setImageScaling(ZVImageView::ScaleProportionallyUpOrDown);
        setContentViewType(ImageContent);
    }
    layout();
    // A content that arrives later (a picture that finished loading) takes
    // the effects the element already shows.
    if (!m_firstLoad)
        applyEffects();
}

bool ZVPuttyView::hasUndecodablePicture() const
{
    return (m_contentView && m_contentView->hasUndecodablePicture())
           || (m_backgroundView && m_backgroundView->hasUndecodablePicture());
}

void ZVPuttyView::setBackgroundView(ZVBackgroundView* background)
{
    if (!replaceOwnedChild(*this, QStringLiteral("backgroundView"), m_backgroundView, background))
        return;
    background->setContainerView(this);
    background->setPuttyView(this);
    background->setCurrentPage(canvas());
    layout();
}

void ZVPuttyView::setReflectionView(ZVImageView* reflection)
{
    if (replaceOwnedChild(*this, QStringLiteral("reflectionView"), m_reflectionView, reflection))
        layout();
}

ZVCanvasView* ZVPuttyView::canvas() const
{
    return qobject_cast<ZVCanvasView*>(m_canvas.data());
}

void ZVPuttyView::setCanvas(ZVCanvasView* page)
{
    changeValue(QStringLiteral("canvas"), m_canvas, page);
    if (m_backgroundView)
        m_backgroundView->setCurrentPage(page);
}

ql::UndoManager* ZVPuttyView::undoManager() const
{
    const ZVCanvasView* page = canvas();
    return page ? page->undoManager() : nullptr;
}

void ZVPuttyView::setUuid(const QString& uuid)
{
    changeValue(QStringLiteral("uuid"), m_uuid, uuid);
}

void ZVPuttyView::setGroupRecord(const QString& key, QPointer<ZVPuttyViewGroup>& field, ZVPuttyViewGroup* group)
{
    // A record nobody owns yet (a new group, or one just read) stays with
    // the first element that takes it.
    if (group && !group->parent())
        group->setParent(this);
    changeValue(key, field, group);
}

void ZVPuttyView::setGroup(ZVPuttyViewGroup* group)
{
    setGroupRecord(QStringLiteral("group"), m_group, group);
}

void ZVPuttyView::setTextGroup(ZVPuttyViewGroup* group)
{
    setGroupRecord(QStringLiteral("textGroup"), m_textGroup, group);
}

void ZVPuttyView::setLayoutLayerGroup(ZVPuttyViewGroup* layer)
{
    setGroupRecord(QStringLiteral("layoutLayerGroup"), m_layoutLayerGroup, layer);
}

void ZVPuttyView::setContentViewType(int type)
{
    changeValue(QStringLiteral("contentViewType"), m_contentViewType, type);
}

void ZVPuttyView::setKeepAspectRatio(bool keep)
{
    changeValue(QStringLiteral("keepAspectRatio"), m_keepAspectRatio, keep);
}

void ZVPuttyView::setCropMode(bool cropMode)
{
    changeValue(QStringLiteral("cropMode"), m_cropMode, cropMode);
}

void ZVPuttyView::setLeftOffset(const QVariant& offset)
{
    changeValue(QStringLiteral("leftOffset"), m_leftOffset, offset);
}

void ZVPuttyView::setTopOffset(const QVariant& offset)
{
    changeValue(QStringLiteral("topOffset"), m_topOffset, offset);
}

// Geometry ------------------------------------------------------------------

void ZVPuttyView::setFrame(const QRectF& frame)
{
    changeValue(QStringLiteral("frame"), m_frame, frame);
    const ZVCanvasView* page = canvas();
    const double bleed = page ? page->effectiveBleedMargin() : 0.0;
    setLeftOffset(frame.x() - bleed);
    setTopOffset(frame.y() - bleed);
    setNeedsLayout();
}

void ZVPuttyView::setFrameRotation(double degrees)
{
    // One stored angle answers both keys.
    willChangeValueForKey(QStringLiteral("frameRotation"));
    willChangeValueForKey(QStringLiteral("frameCenterRotation"));
    m_rotation = degrees;
    didChangeValueForKey(QStringLiteral("frameCenterRotation"));
    didChangeValueForKey(QStringLiteral("frameRotation"));
}

void ZVPuttyView::setFrameCenterRotation(double degrees)
{
    const QPointF middle = bounds().center();
    const QPointF centre = mapToPage(middle);
    setFrameRotation(degrees);
    QTransform turn;
    turn.rotate(degrees);
    const QPointF origin = centre - turn.map(middle);
    if (origin != m_frame.topLeft())
        setFrame(QRectF(origin, m_frame.size()));
}

QTransform ZVPuttyView::pageTransform() const
{
    QTransform transform;
    transform.translate(m_frame.x(), m_frame.y());
    transform.rotate(m_rotation);
    return transform;
}

QPointF ZVPuttyView::mapToPage(QPointF local) const
{
    return pageTransform().map(local);
}

QPointF ZVPuttyView::mapFromPage(QPointF pagePoint) const
{
    return pageTransform().inverted().map(pagePoint);
}

bool ZVPuttyView::containsPagePoint(QPointF pagePoint) const
{
    return bounds().contains(mapFromPage(pagePoint));
}

QRectF ZVPuttyView::contentFrame() const
{
    return m_frame.adjusted(kMargin, kMargin, -kMargin, -kMargin);
}

QRectF ZVPuttyView::realFrame() const
{
    QRectF content = m_contentView ? m_contentView->bounds() : QRectF();
    if (m_reflectionEnabled && m_reflectionView)
        content.setHeight(content.height() + m_reflectionView->frame().height());
    const QPointF contentOrigin = m_contentView ? m_contentView->frame().topLeft() : QPointF(kMargin, kMargin);
    content.translate(contentOrigin);

    // The content's corners through the element's own turn about its origin.
    const QTransform turn = pageTransform();
    const QPointF corners[] = {turn.map(content.topLeft()), turn.map(content.topRight()),
                               turn.map(content.bottomRight()), turn.map(content.bottomLeft())};
    double minX = corners[0].x(), maxX = minX, minY = corners[0].y(), maxY = minY;
    for (const QPointF& corner : corners) {
        minX = std::min(minX, corner.x());
        maxX = std::max(maxX, corner.x());
        minY = std::min(minY, corner.y());
        maxY = std::max(maxY, corner.y());
    }
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

void ZVPuttyView::layout()
{
    const QRectF inner = bounds().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const QRectF contentRect(inner.topLeft(), inner.size().expandedTo(QSizeF(0, 0)));
    if (m_contentView)
        m_contentView->setFrame(contentRect);
    if (m_backgroundView)
        m_backgroundView->setFrame(contentRect);
    if (m_reflectionView) {
        // The reflection hangs below the content.
        m_reflectionView->setFrame(QRectF(contentRect.left(), contentRect.bottom(), contentRect.width(),
                                          m_reflectionEnabled ? m_reflectionHeight.toDouble() : 0.0));
    }
}

// Crop ----------------------------------------------------------------------

void ZVPuttyView::applyCropInRect(const QRectF& rect)
{
    if (!m_cropEligible)
        return;
    setValueForKey(u"cropRect", rect);
    if (auto* image = qobject_cast<ZVImageView*>(m_contentView)) {
        image->setCropMode(true);
        image->setCropRect(rect);
        image->setCropScale(double(m_cropScale.toFloat()));
    }
    setReflection();
}

void ZVPuttyView::applyCrop()
{
    auto* image = qobject_cast<ZVImageView*>(m_contentView);
    if (m_contentViewType != ImageContent || !image || !image->cropMode())
        return;
    const QSizeF size = image->bounds().size();
    applyCropInRect(QRectF(m_imageXOffset, m_imageYOffset, size.width(), size.height()));
}
