#include "shapes/df/DFObjectDrawingLayer.h"

#include "shapes/df/DFDrawable.h"
#include "shapes/df/DFDrawing.h"

DFObjectDrawingLayer::DFObjectDrawingLayer(QObject* parent) : QObject(parent) {}

DFObjectDrawingLayer::~DFObjectDrawingLayer()
{
    // Listed objects of other owners outlive the layer; they forget it.
    for (DFDrawable* object : std::as_const(m_objects)) {
        disconnect(object, nullptr, this, nullptr);
        object->m_layer = nullptr;
    }
}

DFDrawing* DFObjectDrawingLayer::drawing() const
{
    return qobject_cast<DFDrawing*>(parent());
}

void DFObjectDrawingLayer::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    emit contentsChanged();
}

DFDrawable* DFObjectDrawingLayer::addObject(DFDrawable* object)
{
    return insertObject(object, m_objects.size());
}

DFDrawable* DFObjectDrawingLayer::addObject(std::unique_ptr<DFDrawable> object)
{
    if (!object)
        return nullptr;
    object->setParent(this);
    return addObject(object.release());
}

DFDrawable* DFObjectDrawingLayer::insertObject(DFDrawable* object, qsizetype index)
{
    if (!object)
        return nullptr;
    if (DFObjectDrawingLayer* previous = object->m_layer; previous && previous != this) {
        previous->unlist(object);
        if (object->parent() == previous)
            object->setParent(this);
    } else if (previous == this) {
        unlist(object);
    }
    if (!object->parent())
        object->setParent(this);
    m_objects.insert(std::clamp<qsizetype>(index, 0, m_objects.size()), object);
    object->m_layer = this;
    connect(object, &DFDrawable::changed, this, &DFObjectDrawingLayer::contentsChanged);
    connect(object, &QObject::destroyed, this, [this, object] {
        m_objects.removeOne(object);
        m_selection.remove(object);
        emit contentsChanged();
    });
    emit contentsChanged();
    return object;
}

void DFObjectDrawingLayer::unlist(DFDrawable* object)
{
    disconnect(object, nullptr, this, nullptr);
    m_objects.removeOne(object);
    m_selection.remove(object);
    object->m_layer = nullptr;
}

void DFObjectDrawingLayer::removeObject(DFDrawable* object)
{
    if (!object || !m_objects.contains(object))
        return;
    unlist(object);
    if (object->parent() == this)
        delete object;
    emit contentsChanged();
}

void DFObjectDrawingLayer::removeAllObjects()
{
    const QList<DFDrawable*> listed = m_objects;
    for (DFDrawable* object : listed) {
        unlist(object);
        if (object->parent() == this)
            delete object;
    }
    emit contentsChanged();
}

DFDrawable* DFObjectDrawingLayer::replaceObject(DFDrawable* object, std::unique_ptr<DFDrawable> replacement)
{
    const qsizetype index = m_objects.indexOf(object);
    if (index < 0 || !replacement)
        return nullptr;
    const bool wasSelected = m_selection.contains(object);
    unlist(object);
    if (object->parent() == this) {
        object->setParent(nullptr);
        object->deleteLater();
    }
    replacement->setParent(this);
    DFDrawable* added = insertObject(replacement.release(), index);
    if (wasSelected)
        m_selection.insert(added);
    return added;
}

QList<DFDrawable*> DFObjectDrawingLayer::selectedObjects() const
{
    QList<DFDrawable*> selected;
    for (DFDrawable* object : m_objects)
        if (m_selection.contains(object))
            selected.append(object);
    return selected;
}

void DFObjectDrawingLayer::selectObject(DFDrawable* object, bool extendSelection)
{
    if (!extendSelection)
        m_selection.clear();
    if (object && m_objects.contains(object))
        m_selection.insert(object);
    emit contentsChanged();
}

void DFObjectDrawingLayer::deselectAll()
{
    m_selection.clear();
    emit contentsChanged();
}

void DFObjectDrawingLayer::selectAll()
{
    for (DFDrawable* object : std::as_const(m_objects))
        m_selection.insert(object);
    emit contentsChanged();
}

DFDrawable* DFObjectDrawingLayer::objectAtPoint(QPointF point, double tolerance) const
{
    for (auto it = m_objects.crbegin(); it != m_objects.crend(); ++it)
        if ((*it)->hitTest(point, tolerance))
            return *it;
    return nullptr;
}

void DFObjectDrawingLayer::paint(QPainter& painter) const
{
    for (const DFDrawable* object : m_objects)
        object->drawContentWithStyle(painter);
}

void DFObjectDrawingLayer::showInfoWindowWithString(const QString&, QPointF) {}
