// A layer of drawable objects in drawing order (the last drawn on top),
// with a selection. The layer owns the objects it takes in without an
// owner of their own (what tools draw) and deletes them when they leave it;
// objects that already have an owner (a shape element's shape) are only
// listed. Objects deleted elsewhere leave the list by themselves.
#pragma once

#include <QList>
#include <QObject>
#include <QPainter>
#include <QSet>
#include <memory>

class DFDrawable;
class DFDrawing;

class DFObjectDrawingLayer : public QObject {
    Q_OBJECT
public:
    explicit DFObjectDrawingLayer(QObject* parent = nullptr);
    ~DFObjectDrawingLayer() override;

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    // The drawing the layer belongs to, if any.
    DFDrawing* drawing() const;

    const QList<DFDrawable*>& objects() const { return m_objects; }
    // Appends the object (moving it out of any other layer); returns it.
    DFDrawable* addObject(DFDrawable* object);
    DFDrawable* addObject(std::unique_ptr<DFDrawable> object);
    DFDrawable* insertObject(DFDrawable* object, qsizetype index);
    qsizetype indexOfObject(const DFDrawable* object) const { return m_objects.indexOf(const_cast<DFDrawable*>(object)); }
    void removeObject(DFDrawable* object);
    void removeAllObjects();
    // Puts `replacement` where `object` was; `object` leaves the layer and,
    // when the layer owned it, is deleted once control returns to the event
    // loop (it may be the caller). Returns the replacement.
    DFDrawable* replaceObject(DFDrawable* object, std::unique_ptr<DFDrawable> replacement);

    QList<DFDrawable*> selectedObjects() const;
    bool isSelected(const DFDrawable* object) const { return m_selection.contains(object); }
    void selectObject(DFDrawable* object, bool extendSelection = false);
    void deselectAll();
    void selectAll();

    // The topmost object under a point.
    DFDrawable* objectAtPoint(QPointF point, double tolerance) const;

    // Draws every object in order.
    void paint(QPainter& painter) const;

    // Hook for the floating information the tools give as objects change
    // (a size, a length); the base shows nothing.
    virtual void showInfoWindowWithString(const QString& text, QPointF point);

signals:
    // Objects were added, removed, reordered or changed, or the selection
    // or visibility changed.
    void contentsChanged();

private:
    void unlist(DFDrawable* object);

    QString m_name;
    bool m_visible = true;
    QList<DFDrawable*> m_objects;
    QSet<const DFDrawable*> m_selection;
};
