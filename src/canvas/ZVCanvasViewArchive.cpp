// The page's archive record: its settings, layers, elements and background.
#include "canvas/ZVCanvasView.h"

#include "design/ZVDesignHelper.h"
#include "canvas/PageLimits.h"
#include "canvas/ZVPuttyView.h"
#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "platform/Uuid.h"
#include "platform/graphics/RulerMarker.h"

#include <QSet>

namespace {

using Page = ZVCanvasView;

QVariantList objectList(const auto& objects)
{
    QVariantList list;
    for (const auto& object : objects)
        list.append(ql::fields::objectValue(object));
    return list;
}

// Ruler guides: the markers of a list, anything else dropped.
void readMarkers(ql::KeyedUnarchiver& coder, const QString& key, QVariantList& field)
{
    const QVariant value = ql::fields::readRaw(coder, key);
    if (value.typeId() != QMetaType::QVariantList)
        return;
    QVariantList markers;
    for (const QVariant& item : value.toList()) {
        if (item.metaType() == QMetaType::fromType<ql::RulerMarker>())
            markers.append(item);
    }
    field = markers;
}

// A stored number (a guide count or gutter) within [low, high]; one that is
// not a number reads as unset. Numbers within range keep their stored kind.
void limitNumber(QVariant& number, double low, double high, bool whole)
{
    if (!number.isValid())
        return;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || std::isnan(value)) {
        number = QVariant();
        return;
    }
    if (value >= low && value <= high)
        return;
    const double limited = std::clamp(value, low, high);
    number = whole ? QVariant(int(limited)) : QVariant(limited);
}

// Ruler guides no page could reach are dropped.
void dropFarMarkers(QVariantList& markers)
{
    markers.removeIf([](const QVariant& item) {
        const double location = item.value<ql::RulerMarker>().location;
        return !(std::abs(location) <= 2 * ql::PageLimits::kMaximumSide);
    });
}

} // namespace

void ZVCanvasView::limitGeometryAsRead(int defaultPageSize, int defaultOrientation)
{
    namespace L = ql::PageLimits;
    // A page that has no size at all takes the default page; any other is
    // brought within range.
    const auto isSide = [](double side) { return std::isfinite(side) && side > 0.0; };
    if (!isSide(m_pageWidth) || !isSide(m_pageHeight)) {
        if (m_pageSize == 0) {
            m_pageSize = defaultPageSize;
            m_pageOrientation = defaultOrientation;
        }
        const QRectF preset = ql::ZVDesignHelper::rectForPageSize(m_pageSize, m_pageOrientation);
        m_pageWidth = preset.width();
        m_pageHeight = preset.height();
    }
    m_pageWidth = std::clamp(m_pageWidth, L::kMinimumSide, L::kMaximumSide);
    m_pageHeight = std::clamp(m_pageHeight, L::kMinimumSide, L::kMaximumSide);
    for (double* margin : {&m_topMargin, &m_bottomMargin, &m_leftMargin, &m_rightMargin})
        *margin = L::clamped(*margin, 0.0, L::kMaximumMargin, 0.0);
    m_bleedMargin = L::clamped(m_bleedMargin, 0.0, L::kMaximumBleed, 0.0);
    limitNumber(m_rowNumber, 0, L::kMaximumGuideCount, true);
    limitNumber(m_colNumber, 0, L::kMaximumGuideCount, true);
    limitNumber(m_rowGutter, 0, L::kMaximumMargin, false);
    limitNumber(m_colGutter, 0, L::kMaximumMargin, false);
    dropFarMarkers(m_horizontalMarkers);
    dropFarMarkers(m_verticalMarkers);
}

const ql::fields::Record<ZVCanvasView>& ZVCanvasView::archiveRecord()
{
    using P = ZVCanvasView;
    static const auto keys = ql::fields::Record<P>()
        .rect("frame", &P::m_frame)
        .number("drawingMode", &P::m_drawingMode)
        // Elements are read after the layers they belong to (initWithCoder).
        .custom("puttyViews", [](const P& page, ql::KeyedArchiver& coder,
                                 const QString& key) { coder.encodeObject(key, objectList(page.m_puttyViews)); })
        .custom("backgroundView",
                [](const P& page, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, page.m_backgroundView);
                },
                [](P& page, ql::KeyedUnarchiver& coder, const QString& key) {
                    page.setBackgroundView(ql::fields::readPart<ZVBackgroundView>(coder, key));
                })
        .boolean("clipToMargins", &P::m_clipToMargins)
        .float32("pageWidth", &P::m_pageWidth)
        .float32("pageHeight", &P::m_pageHeight)
        .float32("topMargin", &P::m_topMargin)
        .float32("bottomMargin", &P::m_bottomMargin)
        .float32("leftMargin", &P::m_leftMargin)
        .float32("rightMargin", &P::m_rightMargin)
        .integer("pageSize", &P::m_pageSize)
        .integer("pageOrientation", &P::m_pageOrientation)
        .custom("horizontalMarkers",
                [](const P& page, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, page.m_horizontalMarkers);
                },
                [](P& page, ql::KeyedUnarchiver& coder, const QString& key) {
                    readMarkers(coder, key, page.m_horizontalMarkers);
                })
        .custom("verticalMarkers",
                [](const P& page, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, page.m_verticalMarkers);
                },
                [](P& page, ql::KeyedUnarchiver& coder, const QString& key) {
                    readMarkers(coder, key, page.m_verticalMarkers);
                })
        .boolean("showMarginGuides", &P::m_showMarginGuides)
        .float32("bleedMargin", &P::m_bleedMargin)
        .boolean("fullBleed", &P::m_fullBleed)
        .boolean("showBleedCropMarks", &P::m_showBleedCropMarks)
        .custom("layoutLayers",
                [](const P& page, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, objectList(page.m_layoutLayers));
                },
                [](P& page, ql::KeyedUnarchiver& coder, const QString& key) {
                    if (ql::fields::readRaw(coder, key).typeId() != QMetaType::QVariantList)
                        return;
                    ZVPuttyViewGroupList layers;
                    for (ZVPuttyViewGroup* layer : ql::fields::readObjects<ZVPuttyViewGroup>(coder, key)) {
                        if (!layers.contains(layer))
                            layers.append(layer);
                    }
                    // An archive without layers still gets one to hold its elements.
                    if (layers.isEmpty())
                        layers.append(new ZVPuttyViewGroup(&page));
                    // Taken over in initWithCoder, where layers of other pages are copied.
                    page.m_layoutLayers = layers;
                })
        .boolean("showColumnRowGuides", &P::m_showColumnRowGuides)
        .number("rowNumber", &P::m_rowNumber)
        .number("rowGutter", &P::m_rowGutter)
        .number("colNumber", &P::m_colNumber)
        .number("colGutter", &P::m_colGutter)
        .integer("colRowStyle", &P::m_colRowStyle)
        .string("uuid", &P::m_uuid)
        .string("masterPageUUID", &P::m_masterPageUUID);
    return keys;
}

QStringList ZVCanvasView::archiveClassChain() const
{
    return ql::fields::flippedViewChain(QStringLiteral("ZVCanvasView"));
}

void ZVCanvasView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

void ZVCanvasView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    // A page being read belongs to no document, so nothing here records undo.
    const int defaultPageSize = m_pageSize;
    const int defaultOrientation = m_pageOrientation;
    archiveRecord().decode(*this, coder);
    limitGeometryAsRead(defaultPageSize, defaultOrientation);
    // The inspector's size fields follow the size read: a custom page's
    // width and height stay editable after reopening.
    enableSizeControls();
    // Each page owns its layers: a record that another page of the file has
    // taken is copied, so that neither page's repair strips the other's
    // elements from it.
    QHash<const ZVPuttyViewGroup*, ZVPuttyViewGroup*> copies;
    for (QPointer<ZVPuttyViewGroup>& layer : m_layoutLayers) {
        if (layer && layer->parent() && layer->parent() != this) {
            ZVPuttyViewGroup* copy = layer->copyAsRead(this);
            copies.insert(layer.data(), copy);
            layer = copy;
        }
    }
    ownLayers();
    m_currentLayoutLayer = m_layoutLayers.isEmpty() ? nullptr : m_layoutLayers.constLast();

    QSet<QString> uuids;
    m_readingPuttyViews = true;
    for (ZVPuttyView* element : ql::fields::readObjects<ZVPuttyView>(coder, QStringLiteral("puttyViews"))) {
        // An element claimed by another page of the archive stays with it;
        // one listed twice counts once.
        if ((element->parent() && element->parent() != this) || holdsPuttyView(element))
            continue;
        // Layers know elements by UUID: another element's UUID would make
        // deleting one take the other off its layer. The first keeps it.
        if (uuids.contains(element->uuid()))
            element->setUuid(ql::newUuidString());
        uuids.insert(element->uuid());
        if (ZVPuttyViewGroup* copy = copies.value(element->layoutLayerGroup()))
            element->setLayoutLayerGroup(copy);
        addPuttyView(element);
    }
    m_readingPuttyViews = false;
    setClippingRects();
    m_drawingMode = 0;
    setCanvasFrames();
    repairLayerMembership();
}
