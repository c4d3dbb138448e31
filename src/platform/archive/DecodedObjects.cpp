#include "platform/archive/DecodedObjects.h"

namespace ql {

DecodedObjects& DecodedObjects::operator=(DecodedObjects&& other) noexcept
{
    if (this != &other) {
        deleteUnadopted();
        m_objects = std::move(other.m_objects);
    }
    return *this;
}

DecodedObjects::~DecodedObjects()
{
    deleteUnadopted();
}

QList<QObject*> DecodedObjects::unadopted() const
{
    QList<QObject*> result;
    for (const QPointer<QObject>& object : m_objects)
        if (object && !object->parent())
            result.append(object.data());
    return result;
}

void DecodedObjects::adoptAll(QObject* parent)
{
    for (QObject* object : unadopted())
        object->setParent(parent);
    m_objects.clear();
}

void DecodedObjects::deleteUnadopted()
{
    // Deleting one object may delete others (its children); QPointer notices.
    for (const QPointer<QObject>& object : m_objects)
        if (object && !object->parent())
            delete object.data();
    m_objects.clear();
}

} // namespace ql
