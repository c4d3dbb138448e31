#include "platform/archive/ArchiveKeys.h"

#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

namespace ql {

void encodeKeys(KeyedArchiver& coder, const ArchiveKeys& keys, const std::function<QVariant(const QString&)>& valueForKey)
{
    for (const ArchiveKey& k : keys) {
        const QVariant v = valueForKey(k.key);
        switch (k.kind) {
        case ArchiveKind::Object: coder.encodeObject(k.key, v); break;
        case ArchiveKind::Bool: coder.encodeBool(k.key, v.toBool()); break;
        case ArchiveKind::Int32: coder.encodeInt32(k.key, v.toInt()); break;
        case ArchiveKind::Int64: coder.encodeInt64(k.key, v.toLongLong()); break;
        case ArchiveKind::Float: coder.encodeFloat(k.key, v.toDouble()); break;
        case ArchiveKind::Double: coder.encodeDouble(k.key, v.toDouble()); break;
        case ArchiveKind::Rect: coder.encodeRect(k.key, v.toRectF()); break;
        case ArchiveKind::Point: coder.encodePoint(k.key, v.toPointF()); break;
        case ArchiveKind::Size: coder.encodeSize(k.key, v.toSizeF()); break;
        case ArchiveKind::Bytes: coder.encodeBytes(k.key, v.toByteArray()); break;
        }
    }
}

void decodeKeys(KeyedUnarchiver& coder, const ArchiveKeys& keys, const std::function<void(const QString&, const QVariant&)>& setValueForKey)
{
    for (const ArchiveKey& k : keys) {
        QVariant v;
        switch (k.kind) {
        case ArchiveKind::Object: v = coder.decodeObject(k.key); break;
        case ArchiveKind::Bool: v = coder.decodeBool(k.key); break;
        case ArchiveKind::Int32: v = coder.decodeInt32(k.key); break;
        case ArchiveKind::Int64: v = qlonglong(coder.decodeInt64(k.key)); break;
        case ArchiveKind::Float: v = coder.decodeFloat(k.key); break;
        case ArchiveKind::Double: v = coder.decodeDouble(k.key); break;
        case ArchiveKind::Rect: v = coder.decodeRect(k.key); break;
        case ArchiveKind::Point: v = coder.decodePoint(k.key); break;
        case ArchiveKind::Size: v = coder.decodeSize(k.key); break;
        case ArchiveKind::Bytes: v = coder.decodeBytes(k.key); break;
        }
        // After a failure the decode is void anyway; stop handing out values.
        if (coder.failed())
            return;
        setValueForKey(k.key, v);
    }
}

} // namespace ql
