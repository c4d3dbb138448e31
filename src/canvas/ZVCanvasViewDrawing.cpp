// The page's drawing modes: the surface laid over the page while the user
// draws or edits a shape's points, and what was drawn turned into shape
// elements when the user goes back to selecting.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVDrawingView.h"
#include "content/ZVObjectDrawingLayer.h"
#include "platform/undo/UndoManager.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/DFToolController.h"

#include <memory>

namespace {

// A drawing narrower or lower than this becomes an element this wide or high.
constexpr double kSmallestDrawing = 50.0;
// An element's frame is its content grown by this on every side.
constexpr double kHandleMargin = 40.0;
// The name of every drawn or point-edited shape.
const QString kDrawnShapeName = QStringLiteral("custom2");

QString toolOfMode(int mode)
{
    switch (mode) {
    case ZVCanvasView::PathMode: return QStringLiteral("Path");
    case ZVCanvasView::FreehandMode: return QStringLiteral("Freehand");
    case ZVCanvasView::LineMode: return QStringLiteral("Line");
    case ZVCanvasView::PointSelectMode: return QStringLiteral("Select");
    case ZVCanvasView::InsertPointMode: return QStringLiteral("Insert Path Point");
    case ZVCanvasView::DeletePointMode: return QStringLiteral("Delete Path Point");
    default: return {};
    }
}

// The content rectangle of the element a drawn object becomes: at least
// 50 points each way, centred on the drawing, `extra` points larger for text
// along the outline, with 1 point to spare on every side.
QRectF contentRectFor(const DFDrawable& drawn, double extra)
{
    const QSizeF size = drawn.size();
    const QPointF location = drawn.location();
    const double width = size.width() < kSmallestDrawing ? kSmallestDrawing : size.width();
    const double height = size.height() < kSmallestDrawing ? kSmallestDrawing : size.height();
    return QRectF(location.x() + (size.width() - width) / 2 - extra / 2 - 1,
                  location.y() + (size.height() - height) / 2 - extra / 2 - 1, width + extra + 2, height + extra + 2);
}

// A shape element's outline and where it stands, to go back to.
struct Outline {
    std::shared_ptr<const DFDrawable> shape;
    QString name;
    QVariant adjustment;
    bool adjustable = false;
    QRectF frame;
};

Outline outlineOf(const ZVPuttyView& element, const ZVVectorView& vector)
{
    return {std::shared_ptr<const DFDrawable>(vector.shape()->copy()), vector.shapeName(), vector.adjustment(),
            vector.adjustmentEligible(), element.frame()};
}

// Gives a shape element an outline, and records the step that gives it
// `back`. Undo and redo alternate through here.
void applyOutline(ZVCanvasView& page, ZVPuttyView& element, const Outline& to, const Outline& back)
{
    auto* vector = qobject_cast<ZVVectorView*>(element.contentView());
    if (!vector || !to.shape)
        return;
    {
        // The outline's parts are set back as one step, recorded below.
        const ZVContentView::UnrecordedChanges unrecorded(*vector);
        vector->setShapeName(to.name);
        if (to.adjustable)
            vector->setAdjustment(to.adjustment);
        vector->setShape(to.shape->copy());
        element.setFrame(to.frame);
        vector->setShapeProperties();
    }
    if (ql::UndoManager* undo = page.undoManager()) {
        undo->registerUndo(&page, [page = &page, element = QPointer<ZVPuttyView>(&element), to, back] {
            if (element)
                applyOutline(*page, *element, back, to);
        });
    }
}

} // namespace

ZVPuttyView* ZVCanvasView::oldShape() const
{
    return m_oldShape.data();
}

ZVObjectDrawingLayer* ZVCanvasView::mainlayer() const
{
    return m_mainlayer.data();
}

void ZVCanvasView::setMainlayer(ZVObjectDrawingLayer* layer)
{
    m_mainlayer = layer;
}

bool ZVCanvasView::isDrawing() const
{
    const int mode = m_drawingMode.toInt();
    return mode >= PathMode && mode <= DeletePointMode;
}

void ZVCanvasView::setDropViewHidden(bool hidden)
{
    if (ql::CanvasHost* host = canvasHost())
        host->setDropViewHidden(hidden);
}

void ZVCanvasView::applyDrawingMode()
{
    setDropViewHidden(true);
    const int mode = m_drawingMode.toInt();
    switch (mode) {
    case SelectMode:
    case HandMode:
    case ZoomMode:
        convertDrawingIntoShape();
        m_drawingView->setHidden(true);
        setDropViewHidden(false);
        if (mode == SelectMode)
            highlightPuttyViews();
        else
            resetCursorRects();
        return;
    case PathMode:
    case FreehandMode:
    case LineMode:
        showDrawingView();
        break;
    case PointSelectMode:
    case InsertPointMode:
    case DeletePointMode:
        applyAndDeleteDrawing();
        // Handing a shape over enters the point-selecting mode; the mode
        // asked for is the one the user gets.
        if (m_drawingMode.toInt() != mode) {
            setDrawingMode(mode);
            return;
        }
        m_drawingView->setHidden(false);
        break;
    default:
        return;
    }
    m_drawingView->controller()->setDrawingToolWithName(toolOfMode(mode));
}

void ZVCanvasView::showDrawingView()
{
    // A drawing still on the surface (a path the tool bar interrupted, a
    // shape whose points were being edited) becomes elements first: a new
    // layer would otherwise hide it for good.
    convertDrawingIntoShape();
    m_editingShape = false;
    clearPuttyViews();
    // The page shows through: the surface has no paper of its own.
    m_drawingView->setFrame(bounds());
    m_drawingView->drawing()->setDrawingSize(bounds().size());
    m_drawingView->drawing()->setPaperColour(ql::Color::clear());
    m_drawingView->drawing()->setPaperColourIsPrinted(false);
    m_drawingView->setHidden(false);
    m_mainlayer = m_drawingView->addFreshLayer();
}

void ZVCanvasView::applyAndDeleteDrawing()
{
    ZVPuttyView* element = focusedPuttyView();
    if (element && element->contentViewType() == ZVPuttyView::VectorContent)
        element->applyToDrawingView();
}

void ZVCanvasView::editShapeOf(ZVPuttyView* element)
{
    auto* vector = element ? qobject_cast<ZVVectorView*>(element->contentView()) : nullptr;
    if (!vector || !vector->shape() || !holdsPuttyView(element))
        return;
    const QRectF bounds = element->contentFrame();
    std::unique_ptr<DFDrawable> outline = vector->shape()->copy();
    const bool isPath = qobject_cast<const DFDrawablePath*>(vector->shape()) != nullptr;
    showDrawingView();
    // The element waits off the page, where it stood, until the editing
    // ends; that records no step, the ending records one.
    m_oldShape = element;
    m_oldShapePlace = takeOffPuttyView(element);
    setDrawingMode(PointSelectMode);
    addShapeToDrawing(std::move(outline), bounds, isPath);
}

void ZVCanvasView::addShapeToDrawing(std::unique_ptr<DFDrawable> shape, const QRectF& bounds, bool isPath)
{
    if (!shape || !m_mainlayer)
        return;
    m_editingShape = true;
    shape->style()->removeRenderersOfClass<ZVImageAdornment>(true);
    const QPointF centre = bounds.center();
    const QSizeF size = shape->size();
    // A path stands by its corner, a shape by its centre.
    shape->setLocation(isPath ? centre - QPointF(size.width() / 2, size.height() / 2) : centre);
    DFDrawable* added = m_mainlayer->addObject(std::move(shape));
    m_mainlayer->selectAll();
    if (!isPath)
        added->convertToPath();
}

void ZVCanvasView::convertDrawingIntoShape()
{
    // An open path counts once it has two points.
    m_drawingView->endOpenGesture();
    ZVPuttyView* edited = m_editingShape ? m_oldShape.data() : nullptr;
    const QList<DFDrawable*> objects = m_mainlayer ? m_mainlayer->objects() : QList<DFDrawable*>();
    for (const DFDrawable* object : objects) {
        if (edited) {
            returnEditedShape(edited, *object);
            continue;
        }
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithVector(object->copy(), kDrawnShapeName);
        element->setFrame(contentRectFor(*object, 0.0).adjusted(-kHandleMargin, -kHandleMargin, kHandleMargin,
                                                                 kHandleMargin));
        addPuttyView(element.release());
    }
    // An edited shape whose outline is gone comes back as it was.
    if (edited && !holdsPuttyView(edited))
        enterPuttyView(edited, m_oldShapePlace);
    // Done with: entering the select mode again converts nothing twice.
    if (m_mainlayer)
        m_mainlayer->removeAllObjects();
    m_editingShape = false;
    m_oldShape = nullptr;
}

void ZVCanvasView::returnEditedShape(ZVPuttyView* element, const DFDrawable& drawn)
{
    auto* vector = qobject_cast<ZVVectorView*>(element->contentView());
    if (!vector || !vector->shape())
        return;
    const Outline before = outlineOf(*element, *vector);
    const double extra = vector->extraDownscale();
    Outline after = before;
    after.shape = std::make_shared<const DFImageShape>(drawn.path());
    after.name = kDrawnShapeName;
    after.adjustable = false;
    after.frame = contentRectFor(drawn, extra).adjusted(-kHandleMargin, -kHandleMargin, kHandleMargin, kHandleMargin);
    applyOutline(*this, *element, after, before);
    enterPuttyView(element, m_oldShapePlace);
    // The fill is drawn again for the new outline.
    if (ZVBackgroundView* fill = vector->backgroundView()) {
        const ql::UndoRegistrationBlocker quiet(undoManager());
        const QVariant type = fill->backgroundType();
        fill->setBackgroundType(ZVBackgroundView::ImageFill);
        fill->setBackgroundType(type);
    }
}

void ZVCanvasView::finishDrawing()
{
    if (isDrawing())
        m_drawingView->finishNow();
}
