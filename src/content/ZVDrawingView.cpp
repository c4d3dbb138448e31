#include "content/ZVDrawingView.h"

#include "canvas/ZVCanvasView.h"
#include "content/ZVObjectDrawingLayer.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFToolController.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

namespace {

// The point tools that insert and delete: releases there never finish.
bool editsPoints(int mode)
{
    return mode == ZVCanvasView::InsertPointMode || mode == ZVCanvasView::DeletePointMode;
}

} // namespace

ZVDrawingView::ZVDrawingView(ZVCanvasView* canvas, QObject* parent) : DFDrawingView(parent), m_canvas(canvas)
{
    ql::NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("disableDrawingView"), nullptr,
                                                        [this](const ql::Notification&) {
                                                            // Only a page that is drawing has a drawing to finish.
                                                            if (m_canvas && m_canvas->isDrawing())
                                                                createShape();
                                                        });
}

ZVDrawingView::ZVDrawingView(const QRectF& frame, QObject* parent) : DFDrawingView(frame, parent) {}

ZVDrawingView::~ZVDrawingView() = default;

ZVCanvasView* ZVDrawingView::canvas() const
{
    return m_canvas.data();
}

void ZVDrawingView::setCanvas(ZVCanvasView* canvas)
{
    m_canvas = canvas;
}

ZVObjectDrawingLayer* ZVDrawingView::addFreshLayer()
{
    DFDrawing* paper = drawing();
    if (!paper)
        return nullptr;
    auto* layer = static_cast<ZVObjectDrawingLayer*>(paper->addLayer(std::make_unique<ZVObjectDrawingLayer>(), true));
    paper->hideAllExcept(layer);
    return layer;
}

void ZVDrawingView::createShape()
{
    ql::after(100, this, [this] { finishingStep(); });
}

void ZVDrawingView::finishNow()
{
    endOpenGesture();
    finishingStep();
}

void ZVDrawingView::finishingStep()
{
    m_pathEnded = false;
    ZVCanvasView* page = m_canvas.data();
    if (!page)
        return;
    page->setDrawingMode(ZVCanvasView::SelectMode);
    page->setMainlayer(addFreshLayer());
}

bool ZVDrawingView::keyDown(const ql::CanvasEvent& event)
{
    if (event.keyCode == Qt::Key_Return || event.keyCode == Qt::Key_Enter || event.keyCode == Qt::Key_Escape)
        createShape();
    return true;
}

void ZVDrawingView::mouseDown(const ql::CanvasEvent& event)
{
    if (m_pathEnded)
        return;
    DFDrawingView::mouseDown(event);
}

void ZVDrawingView::mouseUp(const ql::CanvasEvent& event)
{
    const int mode = m_canvas ? m_canvas->drawingMode().toInt() : 0;
    if (event.clickCount == 1 && !editsPoints(mode)) {
        createShape();
        m_pathEnded = false;
    } else if (event.clickCount >= 2 && controller()->drawingToolName() == QLatin1String("Path")) {
        m_pathEnded = true;
    }
    DFDrawingView::mouseUp(event);
}
