#include "shapes/df/DFDrawingView.h"

#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawableShape.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/DFToolController.h"
#include "shapes/df/PathEditing.h"

#include <cmath>

DFDrawingView::DFDrawingView(QObject* parent) : DFDrawingView(QRectF(), parent) {}

DFDrawingView::DFDrawingView(const QRectF& frame, QObject* parent)
    : QObject(parent), m_frame(frame), m_controller(std::make_unique<DFToolController>(*this))
{
}

DFDrawingView::~DFDrawingView() = default;

void DFDrawingView::setFrame(const QRectF& frame)
{
    m_frame = frame;
    emit needsDisplay();
}

void DFDrawingView::setHidden(bool hidden)
{
    m_hidden = hidden;
    emit needsDisplay();
}

void DFDrawingView::createAutomaticDrawing()
{
    auto drawing = std::make_unique<DFDrawing>(m_frame.size());
    drawing->addLayer(std::make_unique<DFObjectDrawingLayer>(), true);
    setDrawing(std::move(drawing));
}

void DFDrawingView::setDrawing(std::unique_ptr<DFDrawing> drawing)
{
    m_controller->drawingTool().finish(*this);
    m_drawing = std::move(drawing);
    if (m_drawing)
        connect(m_drawing.get(), &DFDrawing::contentsChanged, this, &DFDrawingView::needsDisplay);
    emit needsDisplay();
}

DFObjectDrawingLayer* DFDrawingView::activeLayer() const
{
    return m_drawing ? m_drawing->activeLayer() : nullptr;
}

void DFDrawingView::handleMouseDown(const ql::CanvasEvent& event)
{
    DFTool& tool = m_controller->drawingTool();
    if (tool.keepsEvents())
        tool.press(*this, event);
    else
        mouseDown(event);
    emit needsDisplay();
}

void DFDrawingView::handleMouseDragged(const ql::CanvasEvent& event)
{
    DFTool& tool = m_controller->drawingTool();
    if (tool.keepsEvents())
        tool.drag(*this, event);
    else
        mouseDragged(event);
    emit needsDisplay();
}

void DFDrawingView::handleMouseUp(const ql::CanvasEvent& event)
{
    DFTool& tool = m_controller->drawingTool();
    if (tool.keepsEvents())
        tool.release(*this, event);
    else
        mouseUp(event);
    emit needsDisplay();
}

void DFDrawingView::handleMouseMoved(const ql::CanvasEvent& event)
{
    mouseMoved(event);
    emit needsDisplay();
}

void DFDrawingView::mouseDown(const ql::CanvasEvent& event)
{
    m_controller->drawingTool().press(*this, event);
}

void DFDrawingView::mouseDragged(const ql::CanvasEvent& event)
{
    m_controller->drawingTool().drag(*this, event);
}

void DFDrawingView::mouseUp(const ql::CanvasEvent& event)
{
    m_controller->drawingTool().release(*this, event);
}

void DFDrawingView::mouseMoved(const ql::CanvasEvent& event)
{
    m_controller->drawingTool().move(*this, event);
}

void DFDrawingView::endOpenGesture()
{
    m_controller->drawingTool().finish(*this);
    emit needsDisplay();
}

DFDrawable* DFDrawingView::addNewObject(std::unique_ptr<DFDrawable> object)
{
    DFObjectDrawingLayer* layer = activeLayer();
    if (!layer || !object)
        return nullptr;
    object->setStyle(DFStyle::defaultStyle());
    return layer->addObject(std::move(object));
}

QList<DFDrawablePath*> DFDrawingView::editablePaths() const
{
    QList<DFDrawablePath*> selected;
    QList<DFDrawablePath*> others;
    const DFObjectDrawingLayer* layer = activeLayer();
    if (!layer || !layer->isVisible())
        return {};
    const QList<DFDrawable*>& objects = layer->objects();
    for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
        if (auto* path = qobject_cast<DFDrawablePath*>(*it))
            (layer->isSelected(path) ? selected : others).append(path);
    }
    return selected + others;
}

void DFDrawingView::paint(QPainter& painter) const
{
    if (m_hidden || !m_drawing)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    m_drawing->paint(painter);
    paintKnobs(painter);
    m_controller->drawingTool().paintFeedback(painter, *this);
    painter.restore();
}

void DFDrawingView::paintKnobs(QPainter& painter) const
{
    const DFObjectDrawingLayer* layer = activeLayer();
    if (!layer || !layer->isVisible())
        return;
    const QColor knobColour(0x1D, 0x62, 0xF0);
    painter.save();
    painter.setPen(QPen(knobColour, 0));
    for (const DFDrawable* object : layer->selectedObjects()) {
        if (const auto* path = qobject_cast<const DFDrawablePath*>(object)) {
            // Vertices as squares, control points as dots on their handles.
            const QList<ql::df::PathPoint> points = ql::df::pathPoints(path->renderingPath());
            for (qsizetype i = 0; i < points.size(); ++i) {
                const ql::df::PathPoint& p = points[i];
                if (p.vertex) {
                    painter.fillRect(QRectF(p.position - QPointF(knobSize, knobSize), QSizeF(2 * knobSize, 2 * knobSize)), Qt::white);
                    painter.drawRect(QRectF(p.position - QPointF(knobSize, knobSize), QSizeF(2 * knobSize, 2 * knobSize)));
                    continue;
                }
                // A curve's first control belongs to the vertex before it,
                // the second to the curve's own end.
                const QPointF anchor = p.slot == 0 ? (i > 0 ? points[i - 1].position : p.position) : points[i + 1].position;
                painter.drawLine(anchor, p.position);
                painter.setBrush(knobColour);
                painter.drawEllipse(p.position, knobSize * 0.7, knobSize * 0.7);
                painter.setBrush(Qt::NoBrush);
            }
        } else if (const int mask = DFDrawableShape::knobMask()) {
            const auto* shape = qobject_cast<const DFDrawableShape*>(object);
            if (!shape)
                continue;
            // The box's corners and edge middles, clockwise from the top left.
            const QSizeF s = shape->size();
            QTransform place;
            place.translate(shape->location().x(), shape->location().y());
            place.rotateRadians(shape->angle());
            const double x[8] = {-0.5, 0.0, 0.5, 0.5, 0.5, 0.0, -0.5, -0.5};
            const double y[8] = {-0.5, -0.5, -0.5, 0.0, 0.5, 0.5, 0.5, 0.0};
            for (int k = 0; k < 8; ++k) {
                if (!(mask & (1 << k)))
                    continue;
                const QPointF at = place.map(QPointF(x[k] * s.width(), y[k] * s.height()));
                painter.fillRect(QRectF(at - QPointF(knobSize, knobSize), QSizeF(2 * knobSize, 2 * knobSize)), knobColour);
            }
        }
    }
    painter.restore();
}

QImage DFDrawingView::imageRepresentation(double scale) const
{
    const QSizeF size = m_frame.size() * (std::isfinite(scale) && scale > 0.0 ? scale : 1.0);
    const QSize pixels(int(std::ceil(size.width())), int(std::ceil(size.height())));
    if (pixels.isEmpty() || pixels.width() > 16384 || pixels.height() > 16384 || !m_drawing)
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(double(pixels.width()) / m_frame.width(), double(pixels.height()) / m_frame.height());
    m_drawing->paint(painter);
    return image;
}
