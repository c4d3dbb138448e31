// The page's watch over its own settings: each change records the generic
// "set it back" undo on the page's document and refreshes what depends on it;
// a change of bleed or template re-anchors the elements to the trim box.
#include "canvas/ZVCanvasView.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/Deferred.h"
#include "platform/undo/KeyPathUndo.h"

const QStringList& ZVCanvasView::observedKeyPaths()
{
    static const QStringList paths = QStringLiteral(
        "pageSize pageOrientation pageWidth pageHeight topMargin bottomMargin leftMargin rightMargin clipToMargins "
        "drawingMode templateView templateView.fullBleed templateView.showBleedCropMarks templateView.bleedMargin "
        "showMarginGuides layoutLayers showColumnRowGuides rowNumber rowGutter colNumber colGutter colRowStyle")
                                         .split(QLatin1Char(' '));
    return paths;
}

void ZVCanvasView::startObserving()
{
    if (m_isObserving)
        return;
    for (const QString& path : observedKeyPaths()) {
        const bool throughTemplate = path.startsWith(QLatin1String("templateView."));
        // The tool in use is no edit of the document: undo never switches it.
        const bool tool = path == QLatin1String("drawingMode");
        addObserver(path, this, [this, throughTemplate, tool](const ql::KeyValueChange& change) {
            // A "templateView.…" setting belongs to the template: a master
            // records its own change once, however many pages follow it (each
            // recording it too would multiply the steps at every undo). A new
            // template changes every such value at once; only the link itself
            // is undone, or undo would write the master's settings into the
            // page's own.
            if (!tool && (!throughTemplate || (templateView() == this && !m_switchingTemplate)))
                ql::registerKeyPathUndo(undoManager(), this, change.keyPath, change.oldValue);
            onObservedChange(change.keyPath);
        });
    }
    setDrawingMode(0);
    m_isObserving = true;
}

void ZVCanvasView::onObservedChange(const QString& keyPath)
{
    static const QStringList guideSettings = QStringLiteral(
        "showColumnRowGuides rowNumber rowGutter colNumber colGutter colRowStyle templateView.fullBleed "
        "templateView.showBleedCropMarks templateView.bleedMargin showMarginGuides topMargin bottomMargin "
        "leftMargin rightMargin")
                                                 .split(QLatin1Char(' '));
    if (keyPath == QLatin1String("pageSize")) {
        enableSizeControls();
        setCanvasFrames();
    } else if (keyPath == QLatin1String("pageOrientation") || keyPath == QLatin1String("clipToMargins")) {
        setCanvasFrames();
    } else if (keyPath == QLatin1String("pageWidth") || keyPath == QLatin1String("pageHeight")) {
        if (m_pageSize == 0)
            setCanvasFrames();
    } else if (guideSettings.contains(keyPath)) {
        setCanvasFrames();
        if (PageDocument* owner = document())
            owner->pageGeometryChanged(this);
    } else if (keyPath == QLatin1String("layoutLayers")) {
        // A current layer the list no longer holds (an added layer undone)
        // would take new elements out of sight: the top one takes over.
        if (!hasLayoutLayer(currentLayoutLayer()) && !m_layoutLayers.isEmpty())
            setCurrentLayoutLayer(m_layoutLayers.constLast());
        layoutPuttyViews();
    } else if (keyPath == QLatin1String("drawingMode")) {
        applyDrawingMode();
    }

    if (keyPath == QLatin1String("templateView") || keyPath == QLatin1String("templateView.fullBleed")
        || keyPath == QLatin1String("templateView.bleedMargin")) {
        reanchorPuttyViews();
    }
}

void ZVCanvasView::enableSizeControls()
{
    // Announced, so that the page inspector enables its fields.
    changeValue(QStringLiteral("pageWidthControlEnabled"), m_pageWidthControlEnabled, m_pageSize == 0);
    changeValue(QStringLiteral("pageHeightControlEnabled"), m_pageHeightControlEnabled, m_pageSize == 0);
    changeValue(QStringLiteral("pageOrientationControlEnabled"), m_pageOrientationControlEnabled, m_pageSize != 0);
}

void ZVCanvasView::reanchorPuttyViews()
{
    const double bleed = effectiveBleedMargin();
    for (ZVPuttyView* element : std::as_const(m_puttyViews)) {
        // Only a missing offset is taken from the frame; an element exactly at
        // the trim edge (offset 0) follows the bleed like any other.
        const QRectF frame = element->frame();
        const double left = element->leftOffset().isValid() ? double(element->leftOffset().toFloat()) : frame.x() - bleed;
        const double top = element->topOffset().isValid() ? double(element->topOffset().toFloat()) : frame.y() - bleed;
        // Offsets are read with 32-bit precision: where they still agree with
        // the frame (the bleed is what it was, as when a master is relinked
        // on reading), the frame keeps its own full precision.
        const bool inPlace = float(frame.x() - bleed) == float(left) && float(frame.y() - bleed) == float(top);
        if (!inPlace)
            element->setFrame(QRectF(left + bleed, top + bleed, frame.width(), frame.height()));
    }
    if (PageDocument* owner = document())
        owner->showCurrentPageMarkers();
    // The guides show where things now stand, for a moment.
    showGuides();
    ql::after(1000, this, [this] { clearGuides(); });
}
