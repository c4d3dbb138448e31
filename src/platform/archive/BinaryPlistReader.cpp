#include "platform/archive/BinaryPlistReader.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistDocument.h"

#include <QHash>

namespace ql {

namespace {

// Builds the tree of a document; objects referenced several times are read
// once and shared, containers that contain themselves are refused.
class TreeBuilder {
public:
    TreeBuilder(const BinaryPlistDocument& doc, const ArchiveLimits& limits)
        : m_doc(doc), m_limits(limits), m_state(doc.objectCount(), State::Unread), m_memo(doc.objectCount())
    {
    }

    Result<PlistValue> build(BinaryPlistDocument::Ref ref, int depth);

private:
    enum class State : std::uint8_t { Unread, Reading, Done };

    const BinaryPlistDocument& m_doc;
    const ArchiveLimits& m_limits;
    std::vector<State> m_state;
    std::vector<PlistValue> m_memo;
};

Result<PlistValue> TreeBuilder::build(BinaryPlistDocument::Ref ref, int depth)
{
    if (depth > m_limits.maxDepth)
        return archiveError(ArchiveErrorCode::TooDeep, QStringLiteral("The property list is nested more than %1 levels deep.").arg(m_limits.maxDepth));
    if (m_state[ref] == State::Done)
        return m_memo[ref];
    if (m_state[ref] == State::Reading)
        return archiveError(ArchiveErrorCode::Cycle, QStringLiteral("A container of the property list contains itself."));
    Result<BinaryPlistDocument::Object> object = m_doc.object(ref);
    if (!object)
        return object.error();
    if (object->type != PlistValue::Type::Array && object->type != PlistValue::Type::Dictionary) {
        m_state[ref] = State::Done;
        m_memo[ref] = m_doc.value(*object);
        return m_memo[ref];
    }

    m_state[ref] = State::Reading;
    PlistValue result;
    if (object->type == PlistValue::Type::Array) {
        PlistValue::Array items;
        items.reserve(object->count);
        for (std::uint64_t i = 0; i < object->count; ++i) {
            const Result<BinaryPlistDocument::Ref> child = m_doc.reference(*object, i);
            if (!child)
                return child.error();
            Result<PlistValue> item = build(*child, depth + 1);
            if (!item)
                return item.error();
            items.push_back(std::move(*item));
        }
        result = PlistValue::array(std::move(items));
    } else {
        PlistValue::Dictionary entries;
        entries.reserve(object->count);
        const Result<bool> repeats = m_doc.repeatsKeys(*object);
        if (!repeats)
            return repeats.error();
        QHash<QString, std::size_t> positions; // a repeated key keeps its last value
        for (std::uint64_t i = 0; i < object->count; ++i) {
            const Result<BinaryPlistDocument::Ref> keyRef = m_doc.reference(*object, i);
            if (!keyRef)
                return keyRef.error();
            const Result<BinaryPlistDocument::Ref> valueRef = m_doc.reference(*object, object->count + i);
            if (!valueRef)
                return valueRef.error();
            const Result<PlistValue> key = build(*keyRef, depth + 1);
            if (!key)
                return key.error();
            if (key->type() != PlistValue::Type::String)
                return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("A dictionary key of the property list is not a string."));
            Result<PlistValue> value = build(*valueRef, depth + 1);
            if (!value)
                return value.error();
            if (*repeats) {
                if (const auto at = positions.constFind(key->toString()); at != positions.constEnd()) {
                    entries[*at].second = std::move(*value);
                    continue;
                }
                positions.insert(key->toString(), entries.size());
            }
            entries.emplace_back(key->toString(), std::move(*value));
        }
        result = PlistValue::dictionary(std::move(entries));
    }
    m_state[ref] = State::Done;
    m_memo[ref] = result;
    return result;
}

} // namespace

Result<PlistValue> readBinaryPlist(QByteArrayView data, const ArchiveLimits& limits)
{
    const Result<BinaryPlistDocument> doc = BinaryPlistDocument::open(data, limits);
    if (!doc)
        return doc.error();
    TreeBuilder builder(*doc, limits);
    return builder.build(doc->top(), 0);
}

bool looksLikeBinaryPlist(QByteArrayView data)
{
    return data.startsWith("bplist00");
}

} // namespace ql
