// Pages, layers, elements and their contents in keyed archives: the classes
// such archives may hold, and writing or reading one object as the root.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ClassRegistry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <memory>

namespace ql::canvas {

// Adds the layer, element, content and background classes.
void registerElementClasses(ClassRegistry& registry);
// Adds the element classes and the page.
void registerPageClasses(ClassRegistry& registry);
// The platform values plus the page classes.
const ClassRegistry& pageClassRegistry();
// The platform values plus the element classes: what element archives from
// outside (the clipboard, drags) may hold.
const ClassRegistry& elementClassRegistry();

Result<QByteArray> archiveRootObject(const QObject* root);

// The root object of an archive, owned by the caller; an error when the
// archive is unreadable or its root is not of class `expected`.
Result<QObject*> unarchiveRootObject(QByteArrayView data, const QMetaObject& expected,
                                     const ClassRegistry& registry = pageClassRegistry());

template <class T>
Result<std::unique_ptr<T>> unarchiveRootObject(QByteArrayView data, const ClassRegistry& registry = pageClassRegistry())
{
    Result<QObject*> root = unarchiveRootObject(data, T::staticMetaObject, registry);
    if (!root)
        return root.error();
    return std::unique_ptr<T>(static_cast<T*>(*root));
}

// A new object made by archiving `object` and reading it back: its archived
// settings, none of its links to owners; null when that fails.
template <class T>
std::unique_ptr<T> copyThroughArchive(const T* object)
{
    const Result<QByteArray> data = archiveRootObject(object);
    if (!data)
        return nullptr;
    Result<std::unique_ptr<T>> copy = unarchiveRootObject<T>(*data);
    return copy ? std::move(*copy) : nullptr;
}

} // namespace ql::canvas
