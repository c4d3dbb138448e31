#include "platform/runtime/UserDefaultsFile.h"

#include <QDataStream>
#include <QIODevice>
#include <QStringList>
#include <vector>

namespace ql {

namespace {

constexpr char kMagic[] = "QLDEFAULTS1";
constexpr auto kVersion = QDataStream::Qt_6_4;
// No setting nests more than a few levels; far deeper is damage, and a value
// that deep would overflow the stack of whatever copies or compares it.
constexpr std::size_t kDeepestValue = 64;

// Values read as the toolkit reads them; none of them holds further values.
bool isPlainKind(int typeId)
{
    switch (typeId) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QDateTime:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QUrl:
    case QMetaType::QUuid:
    case QMetaType::QSize:
    case QMetaType::QSizeF:
    case QMetaType::QPoint:
    case QMetaType::QPointF:
    case QMetaType::QRect:
    case QMetaType::QRectF:
        return true;
    default:
        return false;
    }
}

bool isContainer(int typeId)
{
    return typeId == QMetaType::QVariantList || typeId == QMetaType::QVariantMap || typeId == QMetaType::QVariantHash;
}

// A list, map or hash whose entries are still being read.
struct OpenContainer {
    int typeId;
    quint32 left;
    QString key;
    QVariantList list;
    QVariantMap map;
    QVariantHash hash;

    void add(const QVariant& value)
    {
        if (typeId == QMetaType::QVariantList)
            list.append(value);
        else if (typeId == QMetaType::QVariantMap)
            map.insert(key, value);
        else
            hash.insert(key, value);
        --left;
    }
    QVariant value() const
    {
        if (typeId == QMetaType::QVariantList)
            return list;
        return typeId == QMetaType::QVariantMap ? QVariant(map) : QVariant(hash);
    }
};

class Reader {
public:
    explicit Reader(QDataStream& stream) : m_stream(stream) {}

    // One value as QDataStream writes a QVariant, containers kept on a list
    // of their own instead of the call stack.
    std::optional<QVariant> read()
    {
        std::vector<OpenContainer> open;
        while (true) {
            quint32 typeId = 0;
            qint8 isNull = 0;
            m_stream >> typeId >> isNull;
            if (!ok())
                return std::nullopt;
            QVariant done;
            if (isContainer(int(typeId))) {
                quint32 count = 0;
                m_stream >> count;
                if (!ok() || open.size() == kDeepestValue)
                    return std::nullopt;
                open.push_back({int(typeId), count, {}, {}, {}, {}});
                if (count > 0) {
                    if (!readKey(open.back()))
                        return std::nullopt;
                    continue;
                }
                done = open.back().value();
                open.pop_back();
            } else if (std::optional<QVariant> plain = readPlain(int(typeId), isNull != 0)) {
                done = *plain;
            } else {
                return std::nullopt;
            }
            // Hand the finished value to the containers it closes.
            while (true) {
                if (open.empty())
                    return done;
                OpenContainer& innermost = open.back();
                innermost.add(done);
                if (innermost.left > 0) {
                    if (!readKey(innermost))
                        return std::nullopt;
                    break;
                }
                done = innermost.value();
                open.pop_back();
            }
        }
    }

    bool ok() const { return m_stream.status() == QDataStream::Ok; }

private:
    bool readKey(OpenContainer& container)
    {
        if (container.typeId != QMetaType::QVariantList)
            m_stream >> container.key;
        return ok();
    }

    std::optional<QVariant> readPlain(int typeId, bool isNull)
    {
        if (typeId == QMetaType::UnknownType)
            return QVariant();
        if (typeId == QMetaType::QStringList)
            return readStrings();
        if (!isPlainKind(typeId))
            return std::nullopt;
        const QMetaType type(typeId);
        QVariant value(type);
        if (!type.load(m_stream, value.data()) || !ok())
            return std::nullopt;
        return isNull ? QVariant(type) : value;
    }

    // Read here rather than by the toolkit, which reserves room for as many
    // strings as the count claims.
    std::optional<QVariant> readStrings()
    {
        quint32 count = 0;
        m_stream >> count;
        QStringList strings;
        for (quint32 i = 0; i < count && ok(); ++i) {
            QString string;
            m_stream >> string;
            strings.append(string);
        }
        return ok() ? std::optional<QVariant>(strings) : std::nullopt;
    }

    QDataStream& m_stream;
};

} // namespace

QByteArray encodeUserDefaults(const QVariantMap& values)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(kVersion);
    stream << QByteArray(kMagic) << values;
    return bytes;
}

std::optional<QVariantMap> decodeUserDefaults(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QVariantMap();
    QDataStream stream(bytes);
    stream.setVersion(kVersion);
    QByteArray magic;
    stream >> magic;
    if (magic != kMagic)
        return std::nullopt;
    Reader reader(stream);
    quint32 count = 0;
    stream >> count;
    QVariantMap values;
    for (quint32 i = 0; i < count && reader.ok(); ++i) {
        QString key;
        stream >> key;
        std::optional<QVariant> value = reader.read();
        if (!value)
            return std::nullopt;
        values.insert(key, *value);
    }
    // Bytes past the map are no part of a store this program wrote.
    if (!reader.ok() || !stream.atEnd())
        return std::nullopt;
    return values;
}

} // namespace ql
