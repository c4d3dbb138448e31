// What the archive fuzz target does with one input, shared with the test
// that replays the corpus in the normal build: decode with every platform
// value class and a small model class that shares, owns and cycles, then
// encode the result and decode that again.
#pragma once

#include "platform/archive/ClassRegistry.h"
#include "platform/archive/Codable.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/archive/PlatformValueDecoding.h"
#include "tools/archive-roundtrip/ArchiveRoundTrip.h"

#include <QPointer>

namespace ql::probe {

// A model-like class: owned children (adopted as QObject children), a
// shared child, a peer that may point back, and one value of every kind.
class Node : public QObject, public Codable {
public:
    static inline int live = 0;
    Node() { ++live; }
    ~Node() override { --live; }

    QString name;
    QPointer<Node> peer;
    QPointer<Node> shared;
    QList<Node*> children;
    QVariant value;
    QRectF frame;
    bool flag = false;
    qint32 count = 0;
    qint64 big = 0;
    float narrow = 0.0f;
    double wide = 0.0;
    QByteArray bytes;

    QStringList archiveClassChain() const override { return {QStringLiteral("TestNode"), QStringLiteral("NSObject")}; }

    bool isAncestorOrSelf(const QObject* candidate) const
    {
        for (const QObject* o = this; o; o = o->parent())
            if (o == candidate)
                return true;
        return false;
    }

    void encodeWithCoder(KeyedArchiver& c) const override
    {
        c.encodeObject(QStringLiteral("name"), name);
        c.encodeObject(QStringLiteral("peer"), peer.data());
        c.encodeObject(QStringLiteral("child"), shared.data());
        QVariantList list;
        for (Node* child : children)
            list.append(QVariant::fromValue(child));
        c.encodeObject(QStringLiteral("children"), list);
        c.encodeObject(QStringLiteral("value"), value);
        c.encodeRect(QStringLiteral("frame"), frame);
        c.encodeBool(QStringLiteral("flag"), flag);
        c.encodeInt32(QStringLiteral("count"), count);
        c.encodeInt64(QStringLiteral("big"), big);
        c.encodeFloat(QStringLiteral("narrow"), narrow);
        c.encodeDouble(QStringLiteral("wide"), wide);
        c.encodeBytes(QStringLiteral("bytes"), bytes);
    }

    void initWithCoder(KeyedUnarchiver& c) override
    {
        name = c.decodeValueOfType<QString>(QStringLiteral("name"));
        peer = c.decodeObjectOfClass<Node>(QStringLiteral("peer"));
        shared = c.decodeObjectOfClass<Node>(QStringLiteral("child"));
        children = c.decodeListOfClass<Node>(QStringLiteral("children"));
        // Owned children become QObject children, unless another node owns
        // them already or the archive would make a node its own ancestor.
        for (Node* child : children)
            if (!child->parent() && !isAncestorOrSelf(child))
                child->setParent(this);
        value = c.decodeObject(QStringLiteral("value"));
        frame = c.decodeRect(QStringLiteral("frame"));
        flag = c.decodeBool(QStringLiteral("flag"));
        count = c.decodeInt32(QStringLiteral("count"));
        big = c.decodeInt64(QStringLiteral("big"));
        narrow = c.decodeFloat(QStringLiteral("narrow"));
        wide = c.decodeDouble(QStringLiteral("wide"));
        bytes = c.decodeBytes(QStringLiteral("bytes"));
    }
};

inline const ClassRegistry& registry()
{
    static const ClassRegistry instance = [] {
        ClassRegistry r = ClassRegistry::withPlatformValues();
        registerMobileEditionValueDecoders(r);
        r.registerClass<Node>(QStringLiteral("TestNode"));
        return r;
    }();
    return instance;
}

// True when the input decoded; a decoded input must encode and decode again.
inline bool probeArchive(QByteArrayView data)
{
    const Result<QByteArray> again = reencodeArchive(data, registry());
    if (!again)
        return false;
    if (!reencodeArchive(*again, registry()))
        qFatal("an archive written from decoded data did not decode");
    return true;
}

} // namespace ql::probe
