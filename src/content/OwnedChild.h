// Models own their parts (a page its background, an element its content)
// as QObject children; replacing one announces the change and lets the old
// part go once control returns to the event loop, so callers holding it
// during the change stay safe.
#pragma once

#include "platform/object/KVObject.h"

template <class T>
bool replaceOwnedChild(ql::KVObject& owner, const QString& key, T*& field, T* child)
{
    if (!child || child == field)
        return false;
    owner.willChangeValueForKey(key);
    T* old = field;
    child->setParent(&owner);
    field = child;
    owner.didChangeValueForKey(key);
    if (old)
        old->deleteLater();
    return true;
}
