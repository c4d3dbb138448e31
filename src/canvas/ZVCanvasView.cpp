#include "canvas/ZVCanvasView.h"

#include "design/ZVDesignHelper.h"
#include "canvas/CanvasHost.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/gestures/Gesture.h"
#include "content/OwnedChild.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVDrawingView.h"
#include "content/ZVObjectDrawingLayer.h"
#include "shapes/df/DFToolController.h"
#include "platform/Uuid.h"
#include "platform/graphics/RulerMarker.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"

#include <QSet>

namespace {

ql::UserDefaults& userDefaults()
{
    return ql::ZVDesignHelper::sharedInstance().defaults();
}

} // namespace

ZVCanvasView::ZVCanvasView(QObject* parent) : KVObject(parent)
{
    m_guideView = new ZVGuideView(*this);
    initialize();
    startObserving();
}

ZVCanvasView::~ZVCanvasView() = default;

const ql::PropertyTable& ZVCanvasView::properties() const
{
    using V = ZVCanvasView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<V>(&baseTable())
            .property("frame", &V::frame, &V::setFrame)
            .readOnly("bounds", &V::bounds)
            .field("uuid", &V::m_uuid)
            .property("masterPageUUID", &V::masterPageUUID, &V::setMasterPageUUID)
            .property("drawingMode", &V::drawingMode, &V::setDrawingMode, ValueKind::Number)
            .readOnly("puttyViews", &V::puttyViews)
            .property("backgroundView", &V::backgroundView, &V::setBackgroundView)
            .field("clipToMargins", &V::m_clipToMargins)
            .property("pageWidth", &V::pageWidth, &V::setPageWidth)
            .property("pageHeight", &V::pageHeight, &V::setPageHeight)
            .field("topMargin", &V::m_topMargin)
            .field("bottomMargin", &V::m_bottomMargin)
            .field("leftMargin", &V::m_leftMargin)
            .field("rightMargin", &V::m_rightMargin)
            .property("pageSize", &V::pageSize, &V::setPageSize)
            .property("pageOrientation", &V::pageOrientation, &V::setPageOrientation)
            .field("horizontalMarkers", &V::m_horizontalMarkers, ql::listOf<ql::RulerMarker>())
            .field("verticalMarkers", &V::m_verticalMarkers, ql::listOf<ql::RulerMarker>())
            .field("showMarginGuides", &V::m_showMarginGuides)
            .field("bleedMargin", &V::m_bleedMargin)
            .field("fullBleed", &V::m_fullBleed)
            .field("showBleedCropMarks", &V::m_showBleedCropMarks)
            .property("layoutLayers", &V::layoutLayers, &V::setLayoutLayers)
            .field("showColumnRowGuides", &V::m_showColumnRowGuides)
            .field("rowNumber", &V::m_rowNumber, ValueKind::Number)
            .field("rowGutter", &V::m_rowGutter, ValueKind::Number)
            .field("colNumber", &V::m_colNumber, ValueKind::Number)
            .field("colGutter", &V::m_colGutter, ValueKind::Number)
            .field("colRowStyle", &V::m_colRowStyle)
            .property("templateView", &V::templateView, &V::setTemplateView)
            .readOnly("masterPage", &V::masterPage)
            .property("currentLayoutLayer", &V::currentLayoutLayer, &V::setCurrentLayoutLayer)
            .readOnly("layoutLayersReversed", &V::layoutLayersReversed)
            .readOnly("effectiveBleedMargin", &V::effectiveBleedMargin)
            .field("is3DTextEligible", &V::m_is3DTextEligible)
            .field("editMode", &V::m_editMode)
            .field("originX", &V::m_originX)
            .field("originY", &V::m_originY)
            .field("hiddenHorizontalMarkers", &V::m_hiddenHorizontalMarkers, ql::listOf<ql::RulerMarker>())
            .field("hiddenVerticalMarkers", &V::m_hiddenVerticalMarkers, ql::listOf<ql::RulerMarker>())
            .field("pageWidthControlEnabled", &V::m_pageWidthControlEnabled)
            .field("pageHeightControlEnabled", &V::m_pageHeightControlEnabled)
            .field("pageOrientationControlEnabled", &V::m_pageOrientationControlEnabled)
            .readOnly("title", &V::title)
            .readOnly("masterPageTitle", &V::masterPageTitle)
            .readOnly("isObserving", &V::isObserving)
            .property("focusedPuttyView", &V::focusedPuttyView, &V::setFocusedPuttyView)
            .field("focused", &V::m_focused)
            .field("focusedImage", &V::m_focusedImage)
            .field("focusedText", &V::m_focusedText)
            .field("focusedVector", &V::m_focusedVector)
            .field("oneOrModeActive", &V::m_oneOrModeActive)
            .field("twoOrModeActive", &V::m_twoOrModeActive)
            .field("threeOrModeActive", &V::m_threeOrModeActive)
            .field("shiftKeyPressed", &V::m_shiftKeyPressed)
            .field("optionKeyPressed", &V::m_optionKeyPressed)
            .field("selectionViewOrigin", &V::m_selectionViewOrigin)
            .property("selectionViewFrame", &V::selectionViewFrame, &V::setSelectionViewFrame)
            .property("selectionViewHidden", &V::selectionViewHidden, &V::setSelectionViewHidden)
            .build();
    return table;
}

void ZVCanvasView::initialize()
{
    m_templateView = this;
    m_is3DTextEligible = true;
    m_editMode = false;
    m_horizontalMarkers.clear();
    m_verticalMarkers.clear();
    m_uuid = ql::newUuidString();

    // The drawing surface, hidden until a drawing mode lays it over the page.
    m_drawingView = new ZVDrawingView(this, this);
    m_drawingView->setHidden(true);
    m_drawingView->createAutomaticDrawing();
    m_mainlayer = m_drawingView->addFreshLayer();
    m_drawingView->controller()->setDrawingToolWithName(QStringLiteral("Path"));

    m_pageSize = int(userDefaults().integerForKey(QStringLiteral("defaultPageSize")));
    m_pageOrientation = int(userDefaults().integerForKey(QStringLiteral("defaultPageOrientation")));
    const double margin = userDefaults().doubleForKey(QStringLiteral("defaultMargins"));
    m_rightMargin = m_leftMargin = m_bottomMargin = m_topMargin = margin;

    m_originX = m_originY = 0.0;
    m_fullBleed = false;
    m_showBleedCropMarks = true;
    m_bleedMargin = 9.0;
    m_showMarginGuides = false;
    m_showColumnRowGuides = false;
    m_rowNumber = 1;
    m_rowGutter = 18;
    m_colNumber = 2;
    m_colGutter = 18;
    m_colRowStyle = 0;
    m_hiddenHorizontalMarkers.clear();
    m_hiddenVerticalMarkers.clear();

    m_backgroundView = new ZVBackgroundView(this, 0.0f);
    m_backgroundView->setParent(this);
    m_backgroundView->setSelected(true);
    m_backgroundView->setCurrentPage(this);

    enableSizeControls();
    setCanvasFrames();

    auto* layer = new ZVPuttyViewGroup(QStringLiteral("Background"), this);
    m_layoutLayers = {layer};
    m_currentLayoutLayer = layer;
    m_puttyViews.clear();
    m_puttyViewSet.clear();
}

// Geometry ------------------------------------------------------------------

ZVCanvasView* ZVCanvasView::templateView() const
{
    return m_templateView ? m_templateView.data() : const_cast<ZVCanvasView*>(this);
}

double ZVCanvasView::effectiveBleedMargin() const
{
    const ZVCanvasView* page = templateView();
    return page->m_fullBleed ? page->m_bleedMargin : 0.0;
}

void ZVCanvasView::setFrame(const QRectF& frame)
{
    if (frame != m_frame)
        changeValue(QStringLiteral("frame"), m_frame, frame);
}

void ZVCanvasView::setCanvasFrames()
{
    const ZVCanvasView* page = templateView();
    const double bleed = effectiveBleedMargin();
    if (page->m_pageSize == 0) {
        setFrame(QRectF(0, 0, page->m_pageWidth + 2 * bleed, page->m_pageHeight + 2 * bleed));
    } else {
        const QRectF trim = ql::ZVDesignHelper::rectForPageSize(page->m_pageSize, page->m_pageOrientation);
        setFrame(QRectF(0, 0, trim.width() + 2 * bleed, trim.height() + 2 * bleed));
        // The trim size, not the bled one: switching to a custom size must not
        // grow the page by the bleed. A master's size is not written into the
        // page's own, which must come back unchanged when the master is unlinked.
        if (page == this) {
            setPageWidth(trim.width());
            setPageHeight(trim.height());
        }
    }
    updateGuideViewSettings();
    if (!m_backgroundView)
        return;
    const QSizeF size = m_frame.size();
    if (m_clipToMargins) {
        m_backgroundView->setFrame(QRectF(page->m_leftMargin + bleed, page->m_topMargin + bleed,
                                          size.width() - page->m_leftMargin - page->m_rightMargin - 2 * bleed,
                                          size.height() - page->m_topMargin - page->m_bottomMargin - 2 * bleed));
    } else {
        m_backgroundView->setFrame(m_frame);
    }
}

void ZVCanvasView::setPageSize(int size)
{
    changeValue(QStringLiteral("pageSize"), m_pageSize, size);
}

void ZVCanvasView::setPageOrientation(int orientation)
{
    changeValue(QStringLiteral("pageOrientation"), m_pageOrientation, orientation);
}

void ZVCanvasView::setPageWidth(double width)
{
    // Written on every layout: an unchanged value must not record an undo step.
    if (width != m_pageWidth)
        changeValue(QStringLiteral("pageWidth"), m_pageWidth, width);
}

void ZVCanvasView::setPageHeight(double height)
{
    if (height != m_pageHeight)
        changeValue(QStringLiteral("pageHeight"), m_pageHeight, height);
}

void ZVCanvasView::setDrawingMode(const QVariant& mode)
{
    const int before = m_drawingMode.toInt();
    changeValue(QStringLiteral("drawingMode"), m_drawingMode, mode);
    // Every page starts in the select mode: the file is written only when
    // the value differs.
    const QString key = QStringLiteral("drawingMode");
    if (userDefaults().objectForKey(key) != m_drawingMode)
        userDefaults().setObject(key, m_drawingMode);
    resetCursorRects();
    // Leaving the hand or zoom tool takes its cursor away at once.
    const int now = m_drawingMode.toInt();
    if ((before == 1 || before == 2) && now != 1 && now != 2) {
        if (ql::CanvasHost* host = canvasHost())
            host->setCanvasCursor(ql::CanvasCursor::standard(ql::CanvasCursor::Shape::Arrow));
    }
}

void ZVCanvasView::setMasterPageUUID(const QString& uuid)
{
    changeValue(QStringLiteral("masterPageUUID"), m_masterPageUUID, uuid);
}

// Master pages --------------------------------------------------------------

void ZVCanvasView::setMasterPage(ZVCanvasView* master)
{
    linkMasterPage(master);
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
}

void ZVCanvasView::linkMasterPage(ZVCanvasView* master)
{
    if (master == this)
        master = nullptr;
    m_masterPage = master;
    setMasterPageUUID(master ? master->uuid() : QStringLiteral(""));
    m_switchingTemplate = true;
    willChangeValueForKey(QStringLiteral("templateView"));
    m_templateView = master ? master : this;
    didChangeValueForKey(QStringLiteral("templateView"));
    m_switchingTemplate = false;
    setCanvasFrames();
    layoutPuttyViews();
    showGuides();
}

void ZVCanvasView::setTemplateView(ZVCanvasView* page)
{
    // The template follows the master link; setting it (as undo does) relinks,
    // but never to a master its document no longer lists: a deleted master is
    // in no file, and a page linked to it would lose its looks once saved.
    const PageDocument* owner = document();
    if (page && page != this && owner && owner->indexOfMasterPage(page) < 0)
        return;
    setMasterPage(page);
}

// Document ------------------------------------------------------------------

PageDocument* ZVCanvasView::document() const
{
    return m_documentObject ? m_document : nullptr;
}

void ZVCanvasView::setDocument(PageDocument* document)
{
    m_document = document;
    m_documentObject = document ? document->documentObject() : nullptr;
}

ql::UndoManager* ZVCanvasView::undoManager() const
{
    PageDocument* owner = document();
    return owner ? owner->undoManager() : nullptr;
}

QString ZVCanvasView::title() const
{
    const PageDocument* owner = document();
    const int index = owner ? owner->indexOfPage(this) : -1;
    return index < 0 ? QString() : QString::number(index + 1);
}

QString ZVCanvasView::masterPageTitle() const
{
    const PageDocument* owner = document();
    const int index = owner ? owner->indexOfMasterPage(this) : -1;
    return index < 0 ? QString() : QString(QChar(char16_t(65 + index)));
}

// Background ----------------------------------------------------------------

void ZVCanvasView::setBackgroundView(ZVBackgroundView* background)
{
    if (!replaceOwnedChild(*this, QStringLiteral("backgroundView"), m_backgroundView, background))
        return;
    background->setCurrentPage(this);
    background->setSelected(true);
    background->setContainerView(this);
    background->setFrame(bounds());
}

// Layers and elements ---------------------------------------------------------

void ZVCanvasView::setLayoutLayers(const ZVPuttyViewGroupList& layers)
{
    ZVPuttyViewGroupList present;
    for (const QPointer<ZVPuttyViewGroup>& layer : layers) {
        if (layer)
            present.append(layer);
    }
    changeValue(QStringLiteral("layoutLayers"), m_layoutLayers, present);
    ownLayers();
}

ZVPuttyViewGroup* ZVCanvasView::addLayoutLayer(const QString& name)
{
    auto* layer = new ZVPuttyViewGroup(name, this);
    setLayoutLayers(m_layoutLayers + ZVPuttyViewGroupList {layer});
    return layer;
}

bool ZVCanvasView::isLayerOfAnotherPage(const ZVPuttyViewGroup* layer) const
{
    QObject* owner = layer ? layer->parent() : nullptr;
    return owner && owner != this && qobject_cast<ZVCanvasView*>(owner);
}

void ZVCanvasView::ownLayers()
{
    // A layer another page owns stays with it: its elements live there.
    for (const QPointer<ZVPuttyViewGroup>& layer : std::as_const(m_layoutLayers)) {
        if (layer && layer->parent() != this && !isLayerOfAnotherPage(layer))
            layer->setParent(this);
    }
}

ZVPuttyViewGroupList ZVCanvasView::layoutLayersReversed() const
{
    return ZVPuttyViewGroupList(m_layoutLayers.crbegin(), m_layoutLayers.crend());
}

ZVPuttyViewGroup* ZVCanvasView::currentLayoutLayer() const
{
    return m_currentLayoutLayer.data();
}

void ZVCanvasView::setCurrentLayoutLayer(ZVPuttyViewGroup* layer)
{
    willChangeValueForKey(QStringLiteral("currentLayoutLayer"));
    m_currentLayoutLayer = layer;
    didChangeValueForKey(QStringLiteral("currentLayoutLayer"));
}

bool ZVCanvasView::hasLayoutLayer(const ZVPuttyViewGroup* layer) const
{
    return std::any_of(m_layoutLayers.cbegin(), m_layoutLayers.cend(),
                       [layer](const QPointer<ZVPuttyViewGroup>& entry) { return entry && entry.data() == layer; });
}

void ZVCanvasView::layoutPuttyViews()
{
    m_stackIsStale = true;
    emit stackingChanged();
}

const QList<ZVPuttyView*>& ZVCanvasView::stackedPuttyViews() const
{
    if (m_stackIsStale) {
        m_stacked.clear();
        for (const QPointer<ZVPuttyViewGroup>& layer : std::as_const(m_layoutLayers)) {
            if (layer && layer->visible())
                m_stacked.append(layer->puttyViewsObjects(m_puttyViews));
        }
        m_stackIsStale = false;
    }
    return m_stacked;
}

void ZVCanvasView::repairLayerMembership()
{
    m_layoutLayers.removeIf([](const QPointer<ZVPuttyViewGroup>& layer) { return layer.isNull(); });
    if (m_layoutLayers.isEmpty())
        m_layoutLayers = {new ZVPuttyViewGroup(this)};
    ownLayers();
    if (!hasLayoutLayer(currentLayoutLayer()))
        m_currentLayoutLayer = m_layoutLayers.constLast();

    QHash<QString, ZVPuttyViewGroup*> home;
    for (ZVPuttyView* element : std::as_const(m_puttyViews)) {
        if (!hasLayoutLayer(element->layoutLayerGroup()))
            element->setLayoutLayerGroup(currentLayoutLayer());
        home.insert(element->uuid(), element->layoutLayerGroup());
    }
    for (const QPointer<ZVPuttyViewGroup>& layer : std::as_const(m_layoutLayers)) {
        // Another page's layer lists that page's elements: not ours to edit.
        if (isLayerOfAnotherPage(layer))
            continue;
        QStringList members;
        QSet<QString> seen;
        for (const QString& uuid : layer->groupedViews()) {
            if (home.value(uuid) == layer.data() && !seen.contains(uuid)) {
                members.append(uuid);
                seen.insert(uuid);
            }
        }
        for (ZVPuttyView* element : std::as_const(m_puttyViews)) {
            if (element->layoutLayerGroup() == layer.data() && !seen.contains(element->uuid())) {
                members.append(element->uuid());
                seen.insert(element->uuid());
            }
        }
        if (members != layer->groupedViews())
            layer->setGroupedViews(members);
    }
    layoutPuttyViews();
}
