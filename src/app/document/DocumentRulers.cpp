// The document's rulers: putting the current page's guides on them and
// reading them back, the guide commands, showing and hiding the rulers and
// the display unit.
#include "app/document/Document.h"

#include "design/ZVDesignHelper.h"
#include "canvas/CanvasHost.h"
#include "canvas/RulerHost.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/CanvasImages.h"
#include "content/ZVTextView.h"
#include "platform/runtime/UserDefaults.h"

#include <QScopedValueRollback>

namespace ql {

namespace {

struct Rulers {
    RulerHost* horizontal = nullptr;
    RulerHost* vertical = nullptr;
};

Rulers rulersOf(CanvasHost* host)
{
    if (!host)
        return {};
    return {host->horizontalRuler(), host->verticalRuler()};
}

RulerMarker shownMarker(double location, bool horizontalRuler)
{
    RulerMarker marker;
    marker.location = location;
    marker.removable = true;
    if (horizontalRuler) {
        marker.imageName = kEdgeMarkerTop;
        marker.imageOrigin = QPointF(0, 0);
    } else {
        marker.imageName = kEdgeMarkerLeft;
        const QSize size = canvasImage(kEdgeMarkerLeft).size();
        marker.imageOrigin = QPointF(size.width(), size.height());
    }
    return marker;
}

QList<RulerMarker> storedMarkers(const QList<RulerMarker>& shown, double bleed)
{
    QList<RulerMarker> stored;
    stored.reserve(shown.size());
    for (RulerMarker marker : shown) {
        marker.location -= bleed;
        stored.append(marker);
    }
    return stored;
}

bool isEditingText(const ZVCanvasView& page)
{
    if (!page.focusedText())
        return false;
    const ZVPuttyView* focused = page.focusedPuttyView();
    const auto* text = focused ? qobject_cast<const ZVTextView*>(focused->contentView()) : nullptr;
    return text && text->editMode();
}

// Empties both rulers, so that showing the page's markers lists each once.
void emptyRulers(CanvasHost* host)
{
    const Rulers rulers = rulersOf(host);
    for (RulerHost* ruler : {rulers.horizontal, rulers.vertical}) {
        if (ruler)
            ruler->setMarkers({});
    }
}

} // namespace

void Document::showCurrentPageMarkers()
{
    ZVCanvasView* page = currentPage();
    if (!page)
        return;
    connect(page, &KVObject::valueChanged, this, &Document::currentPageMarkersChanged, Qt::UniqueConnection);
    const double bleed = page->effectiveBleedMargin();
    const Rulers rulers = rulersOf(canvasHost());
    if (rulers.horizontal && rulers.vertical) {
        // The rulers hold exactly the page's guides, however often this runs.
        QList<RulerMarker> across;
        for (const RulerMarker& marker : page->horizontalMarkers())
            across.append(shownMarker(marker.location + bleed, true));
        QList<RulerMarker> down;
        for (const RulerMarker& marker : page->verticalMarkers())
            down.append(shownMarker(marker.location + bleed, false));
        rulers.horizontal->setMarkers(across);
        rulers.vertical->setMarkers(down);
    }
    page->guideView()->setNeedsDisplay();
}

void Document::saveCurrentPageMarkers()
{
    ZVCanvasView* page = currentPage();
    const Rulers rulers = rulersOf(canvasHost());
    if (!page || !rulers.horizontal || !rulers.vertical)
        return;
    // Guides moved while text is edited are stored when editing ends.
    if (isEditingText(*page))
        return;
    const double bleed = page->effectiveBleedMargin();
    const QScopedValueRollback storing(m_storingMarkers, true);
    page->setHorizontalMarkers(storedMarkers(rulers.horizontal->markers(), bleed));
    page->setVerticalMarkers(storedMarkers(rulers.vertical->markers(), bleed));
}

void Document::currentPageMarkersChanged(const QString& key)
{
    if (m_storingMarkers || sender() != currentPage())
        return;
    if (key != QLatin1String("horizontalMarkers") && key != QLatin1String("verticalMarkers"))
        return;
    emptyRulers(canvasHost());
    showCurrentPageMarkers();
}

void Document::saveMarkers()
{
    const Rulers rulers = rulersOf(canvasHost());
    if (rulers.horizontal && rulers.horizontal->clientView())
        saveCurrentPageMarkers();
}

void Document::showRulers()
{
    CanvasHost* host = canvasHost();
    if (!host)
        return;
    // Rulers the user hid stay hidden: nothing here displaced them.
    host->setRulersVisible(m_rulersVisible);
    saveMarkers();
    const Rulers rulers = rulersOf(host);
    for (RulerHost* ruler : {rulers.horizontal, rulers.vertical}) {
        if (ruler)
            ruler->setClientView(currentPage());
    }
    showCurrentPageMarkers();
}

namespace {

// A guide across the middle of the trimmed page: the page's frame holds the
// bleed on both sides.
void insertMiddleGuide(Document& document, bool vertical)
{
    ZVCanvasView* page = document.currentPage();
    if (!page)
        return;
    RulerMarker marker;
    const QSizeF size = page->frame().size();
    marker.location = (vertical ? size.width() : size.height()) / 2 - page->effectiveBleedMargin();
    if (vertical)
        page->setHorizontalMarkers(page->horizontalMarkers() << marker);
    else
        page->setVerticalMarkers(page->verticalMarkers() << marker);
    emptyRulers(document.canvasHost());
    document.showCurrentPageMarkers();
}

} // namespace

void Document::insertVerticalGuide()
{
    insertMiddleGuide(*this, true);
}

void Document::insertHorizontalGuide()
{
    insertMiddleGuide(*this, false);
}

void Document::deleteGuides()
{
    ZVCanvasView* page = currentPage();
    if (!page)
        return;
    page->setHorizontalMarkers({});
    page->setVerticalMarkers({});
    emptyRulers(canvasHost());
    page->guideView()->setNeedsDisplay();
}

void Document::toggleRulers()
{
    const bool visible = !m_rulersVisible;
    if (CanvasHost* host = canvasHost())
        host->setRulersVisible(visible);
    changeValue(QStringLiteral("rulersVisible"), m_rulersVisible, visible);
}

void Document::setUnits(int tag)
{
    UserDefaults& defaults = ZVDesignHelper::sharedInstance().defaults();
    for (const char* key : {"unitsInches", "unitsCM", "unitsPixels"})
        defaults.setBool(QString::fromLatin1(key), false);
    static const QStringList names {QStringLiteral("Inches"), QStringLiteral("Centimeters"), QStringLiteral("Points")};
    if (tag >= 0 && tag < names.size()) {
        const Rulers rulers = rulersOf(canvasHost());
        for (RulerHost* ruler : {rulers.horizontal, rulers.vertical}) {
            if (ruler)
                ruler->setMeasurementUnits(names.at(tag));
        }
    }
    defaults.setInteger(QStringLiteral("unitsType"), tag);
    defaults.synchronize();
    ZVDesignHelper::sharedInstance().registerValueTransformers();
    // Showing the page again makes every bound field read through the new unit.
    ZVCanvasView* page = currentPage();
    setCurrentPage(page);
    if (page)
        page->setFocusedPuttyView(page->focusedPuttyView());
}

} // namespace ql
