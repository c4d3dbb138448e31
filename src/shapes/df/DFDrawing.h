// A drawing: a size, the paper behind everything, and an ordered stack of
// object layers (first drawn first) of which one is active and receives new
// objects. The drawing owns its layers.
#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QList>
#include <QObject>
#include <QPainter>
#include <QSizeF>
#include <memory>

class DFObjectDrawingLayer;

class DFDrawing : public QObject {
    Q_OBJECT
public:
    explicit DFDrawing(QSizeF size = QSizeF(612, 792), QObject* parent = nullptr);
    ~DFDrawing() override;

    QSizeF drawingSize() const { return m_size; }
    // Non-finite or negative sizes are ignored.
    void setDrawingSize(QSizeF size);

    const ql::Color& paperColour() const { return m_paperColour; }
    void setPaperColour(const ql::Color& colour);
    // A picture shown as paper instead of the colour, tiled from the origin
    // (a snapshot of what lies under the drawing, say); null for none.
    const ql::Image& paperImage() const { return m_paperImage; }
    void setPaperImage(const ql::Image& image);
    // Whether the paper is part of printed and exported output.
    bool paperColourIsPrinted() const { return m_paperPrinted; }
    void setPaperColourIsPrinted(bool printed) { m_paperPrinted = printed; }

    const QList<DFObjectDrawingLayer*>& layers() const { return m_layers; }
    // Adds a layer on top; returns it, now the drawing's.
    DFObjectDrawingLayer* addLayer(std::unique_ptr<DFObjectDrawingLayer> layer, bool activate);
    DFObjectDrawingLayer* activeLayer() const { return m_activeLayer; }
    void setActiveLayer(DFObjectDrawingLayer* layer);
    // Shows that layer and hides every other.
    void hideAllExcept(DFObjectDrawingLayer* layer);
    // Removes and deletes a layer; the top remaining one becomes active.
    void removeLayer(DFObjectDrawingLayer* layer);

    // Paper (unless output leaves it out) and the visible layers in order.
    void paint(QPainter& painter, bool forOutput = false) const;

signals:
    // Something shown changed: redraw.
    void contentsChanged();

private:
    QSizeF m_size;
    ql::Color m_paperColour = ql::Color::white();
    ql::Image m_paperImage;
    bool m_paperPrinted = true;
    QList<DFObjectDrawingLayer*> m_layers;
    DFObjectDrawingLayer* m_activeLayer = nullptr;
};
