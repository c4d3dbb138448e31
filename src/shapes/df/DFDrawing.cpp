#include "shapes/df/DFDrawing.h"

#include "shapes/df/DFObjectDrawingLayer.h"

#include <cmath>

DFDrawing::DFDrawing(QSizeF size, QObject* parent) : QObject(parent)
{
    setDrawingSize(size);
}

DFDrawing::~DFDrawing()
{
    // The layers go with the QObject base, after the list they are in.
    for (DFObjectDrawingLayer* layer : std::as_const(m_layers))
        disconnect(layer, nullptr, this, nullptr);
}

void DFDrawing::setDrawingSize(QSizeF size)
{
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() < 0 || size.height() < 0)
        return;
    m_size = size;
    emit contentsChanged();
}

void DFDrawing::setPaperColour(const ql::Color& colour)
{
    m_paperColour = colour;
    emit contentsChanged();
}

void DFDrawing::setPaperImage(const ql::Image& image)
{
    m_paperImage = image;
    emit contentsChanged();
}

DFObjectDrawingLayer* DFDrawing::addLayer(std::unique_ptr<DFObjectDrawingLayer> layer, bool activate)
{
    if (!layer)
        return nullptr;
    DFObjectDrawingLayer* added = layer.release();
    added->setParent(this);
    m_layers.append(added);
    connect(added, &DFObjectDrawingLayer::contentsChanged, this, &DFDrawing::contentsChanged);
    connect(added, &QObject::destroyed, this, [this, added] {
        m_layers.removeOne(added);
        if (m_activeLayer == added)
            m_activeLayer = m_layers.isEmpty() ? nullptr : m_layers.last();
        emit contentsChanged();
    });
    if (activate || !m_activeLayer)
        m_activeLayer = added;
    emit contentsChanged();
    return added;
}

void DFDrawing::setActiveLayer(DFObjectDrawingLayer* layer)
{
    if (m_layers.contains(layer))
        m_activeLayer = layer;
}

void DFDrawing::hideAllExcept(DFObjectDrawingLayer* layer)
{
    for (DFObjectDrawingLayer* each : std::as_const(m_layers))
        each->setVisible(each == layer);
}

void DFDrawing::removeLayer(DFObjectDrawingLayer* layer)
{
    if (m_layers.contains(layer))
        delete layer; // its destruction takes it off the list

}

void DFDrawing::paint(QPainter& painter, bool forOutput) const
{
    if (!forOutput || m_paperPrinted) {
        const QRectF paper(QPointF(0, 0), m_size);
        const QImage picture = m_paperImage.bitmap();
        if (!picture.isNull())
            painter.fillRect(paper, QBrush(picture));
        else if (m_paperColour.alpha() > 0.0)
            painter.fillRect(paper, m_paperColour.toQColor());
    }
    for (const DFObjectDrawingLayer* layer : m_layers)
        if (layer->isVisible())
            layer->paint(painter);
}
