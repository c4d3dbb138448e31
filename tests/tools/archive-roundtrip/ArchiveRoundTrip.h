// Decodes a keyed archive (its root object or all its top-level entries) and
// encodes what it decoded again, keeping values in place where they were.
// Shared by the archive-roundtrip tool and the archive fuzz target.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QByteArrayView>

namespace ql {

inline Result<QByteArray> reencodeArchive(QByteArrayView data, const ClassRegistry& registry)
{
    KeyedUnarchiver unarchiver(registry);
    if (Status opened = unarchiver.open(data); !opened)
        return opened.error();
    KeyedArchiver archiver;
    for (const QString& key : unarchiver.allKeys()) {
        const bool reference = unarchiver.holdsObjectReference(key);
        const QVariant value = unarchiver.decodeAny(key);
        if (unarchiver.failed())
            break;
        if (reference)
            archiver.encodeObject(key, value);
        else
            archiver.encodePrimitive(key, value);
    }
    // The objects stay alive (owned by the unarchiver) until finish(), so the
    // archiver is done with them first.
    Result<QByteArray> encoded = archiver.finish();
    Result<DecodedObjects> decoded = unarchiver.finish();
    if (!decoded)
        return decoded.error();
    return encoded;
}

} // namespace ql
