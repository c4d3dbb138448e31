// The element's archive record, which is also how an element is copied.
#include "canvas/ZVPuttyView.h"

#include "canvas/ModelArchive.h"
#include "canvas/TextChains.h"
#include "canvas/ZVCanvasView.h"
#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "platform/Uuid.h"
#include "platform/graphics/Color.h"
#include "platform/object/ValueKind.h"

#include <cmath>

namespace {

using Element = ZVPuttyView;
using Write = std::function<void(const Element&, ql::KeyedArchiver&, const QString&)>;

template <class T>
Write writeObject(T* (Element::*getter)() const)
{
    return [getter](const Element& element, ql::KeyedArchiver& coder, const QString& key) {
        coder.encodeObject(key, static_cast<const QObject*>((element.*getter)()));
    };
}

} // namespace

const ql::fields::Record<ZVPuttyView>& ZVPuttyView::archiveRecord()
{
    using E = ZVPuttyView;
    using ql::fields::readObject;
    using ql::fields::readPart;
    static const auto keys = ql::fields::Record<E>()
        .custom("frame", [](const E& e, ql::KeyedArchiver& c, const QString& k) { c.encodeRect(k, e.m_frame); },
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) {
                    QRectF frame = e.m_frame;
                    if (ql::fields::readRect(c, k, frame))
                        e.setFrame(frame);
                })
        .float32("frameRotation", &E::m_rotation)
        .number("leftOffset", &E::m_leftOffset)
        .number("topOffset", &E::m_topOffset)
        .integer("contentViewType", &E::m_contentViewType)
        .custom("contentView", writeObject(&E::contentView),
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) {
                    e.setContentView(readPart<ZVContentView>(c, k));
                })
        .number("viewID", &E::m_viewID)
        .custom("group", writeObject(&E::group),
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) { e.setGroup(readObject<ZVPuttyViewGroup>(c, k)); })
        .custom("textGroup", writeObject(&E::textGroup),
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) {
                    e.setTextGroup(readObject<ZVPuttyViewGroup>(c, k));
                })
        .custom("layoutLayerGroup", writeObject(&E::layoutLayerGroup),
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) {
                    e.setLayoutLayerGroup(readObject<ZVPuttyViewGroup>(c, k));
                })
        .string("uuid", &E::m_uuid)
        .custom("backgroundView", writeObject(&E::backgroundView),
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) {
                    e.setBackgroundView(readPart<ZVBackgroundView>(c, k));
                })
        .custom("reflectionView", writeObject(&E::reflectionView),
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) {
                    e.setReflectionView(readPart<ZVImageView>(c, k));
                })
        .boolean("reflectionEnabled", &E::m_reflectionEnabled)
        .number("reflectionOpacity", &E::m_reflectionOpacity)
        .number("reflectionHeight", &E::m_reflectionHeight)
        .boolean("shadowEnabled", &E::m_shadowEnabled)
        .number("shadowOffset", &E::m_shadowOffset)
        .number("shadowAngle", &E::m_shadowAngle)
        .number("shadowBlurRadius", &E::m_shadowBlurRadius)
        .number("shadowOpacity", &E::m_shadowOpacity)
        .value<ql::Color>("shadowColor", &E::m_shadowColor)
        .boolean("innerShadowEnabled", &E::m_innerShadowEnabled)
        .number("innerShadowOffset", &E::m_innerShadowOffset)
        .number("innerShadowAngle", &E::m_innerShadowAngle)
        .number("innerShadowBlurRadius", &E::m_innerShadowBlurRadius)
        .number("innerShadowOpacity", &E::m_innerShadowOpacity)
        .value<ql::Color>("innerShadowColor", &E::m_innerShadowColor)
        .boolean("hideFromPrinting", &E::m_hideFromPrinting)
        .boolean("causesWrap", &E::m_causesWrap)
        .number("wrapType", &E::m_wrapType)
        .number("wrapMargins", &E::m_wrapMargins)
        .boolean("isLocked", &E::m_isLocked)
        .boolean("cropEligible", &E::m_cropEligible)
        .boolean("cropMode", &E::m_cropMode)
        .boolean("borderEnabled", &E::m_borderEnabled)
        .number("borderType", &E::m_borderType)
        .number("borderWidth", &E::m_borderWidth)
        .number("borderRadius", &E::m_borderRadius)
        .value<ql::Color>("borderColor", &E::m_borderColor)
        .number("borderOpacity", &E::m_borderOpacity)
        .number("borderStyle", &E::m_borderStyle)
        .number("layerOpacity", &E::m_layerOpacity)
        .number("imageMode", &E::m_imageMode)
        .custom("cropScale",
                [](const E& e, ql::KeyedArchiver& c, const QString& k) {
                    c.encodeObject(k, e.storedCrop().scale);
                },
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) { ql::fields::readNumber(c, k, e.m_cropScale); })
        .custom("imageXOffset",
                [](const E& e, ql::KeyedArchiver& c, const QString& k) { c.encodeFloat(k, e.storedCrop().offsets.x()); },
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) { ql::fields::readFloat(c, k, e.m_imageXOffset); })
        .custom("imageYOffset",
                [](const E& e, ql::KeyedArchiver& c, const QString& k) { c.encodeFloat(k, e.storedCrop().offsets.y()); },
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) { ql::fields::readFloat(c, k, e.m_imageYOffset); })
        .custom("cropRect",
                [](const E& e, ql::KeyedArchiver& c, const QString& k) { c.encodeRect(k, e.storedCrop().rect); },
                [](E& e, ql::KeyedUnarchiver& c, const QString& k) { ql::fields::readRect(c, k, e.m_cropRect); });
    return keys;
}

QStringList ZVPuttyView::archiveClassChain() const
{
    return ql::fields::flippedViewChain(QStringLiteral("ZVPuttyView"));
}

void ZVPuttyView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

ZVPuttyView::Crop ZVPuttyView::storedCrop() const
{
    return Crop {m_cropScale, QPointF(m_imageXOffset, m_imageYOffset), m_cropRect}.inUnits(storedCropUnitsPerPoint());
}

void ZVPuttyView::takeStoredCrop()
{
    // The content read with the element tells the units its crop was kept in.
    const Crop stored {m_cropScale, QPointF(m_imageXOffset, m_imageYOffset), m_cropRect};
    const Crop crop = stored.inUnits(1.0 / storedCropUnitsPerPoint());
    m_cropScale = crop.scale;
    m_imageXOffset = crop.offsets.x();
    m_imageYOffset = crop.offsets.y();
    m_cropRect = crop.rect;
}

double ZVPuttyView::storedCropUnitsPerPoint() const
{
    const auto* image = qobject_cast<const ZVImageView*>(m_contentView);
    return image && m_contentViewType == ImageContent ? image->storedCropUnitsPerPoint() : 1.0;
}

ZVPuttyView::Crop ZVPuttyView::Crop::inUnits(double unitsPerPoint) const
{
    // Stored values of a picture at one pixel a point stay exactly as read.
    if (unitsPerPoint == 1.0 || !(unitsPerPoint > 0.0) || !std::isfinite(unitsPerPoint))
        return *this;
    Crop converted = *this;
    converted.offsets = offsets * unitsPerPoint;
    converted.rect.moveTopLeft(rect.topLeft() * unitsPerPoint);
    // The window's size is the content's, in points of the page.
    if (ql::isNumeric(scale) && std::isfinite(scale.toDouble()))
        converted.scale = scale.toDouble() / unitsPerPoint;
    return converted;
}

void ZVPuttyView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    archiveRecord().decode(*this, coder);
    takeStoredCrop();
    // Layers and groups find elements by identity; one without can have a new one.
    if (m_uuid.isEmpty())
        m_uuid = ql::newUuidString();
    makeMissingParts();
    // The parts take the element's frame and then its effects: each is laid
    // out once, after both.
    withPartLayoutsHeld([this] {
        if (m_contentView)
            m_contentView->setPuttyView(this);
        layout();
        if (auto* image = qobject_cast<ZVImageView*>(m_contentView); image && m_contentViewType == ImageContent)
            image->setLevels();
        applyFirstLoad();
    });
}

std::unique_ptr<ZVPuttyView> ZVPuttyView::copy() const
{
    std::unique_ptr<ZVPuttyView> element = ql::canvas::copyThroughArchive(this);
    // A copy of a chained box is a box of its own, with the chain's text.
    if (element)
        ql::keepTextChainsWithin({element.get()});
    return element;
}
