#include "platform/graphics/AttributedString.h"

#include "platform/Unicode.h"

#include <algorithm>

namespace ql {

AttributedString::AttributedString(const QString& text, const TextAttributes& attributes)
    : m_text(text)
{
    if (!text.isEmpty())
        m_spans.append(Span {text.size(), attributes});
}

QList<AttributedString::Run> AttributedString::runs() const
{
    QList<Run> result;
    qsizetype start = 0;
    for (const Span& span : m_spans) {
        result.append(Run {start, span.length, span.attributes});
        start += span.length;
    }
    return result;
}

TextAttributes AttributedString::attributesAt(qsizetype index, Run* effectiveRun) const
{
    qsizetype start = 0;
    for (const Span& span : m_spans) {
        if (index >= start && index < start + span.length) {
            if (effectiveRun)
                *effectiveRun = Run {start, span.length, span.attributes};
            return span.attributes;
        }
        start += span.length;
    }
    if (effectiveRun)
        *effectiveRun = Run {};
    return {};
}

QVariant AttributedString::attributeAt(const QString& name, qsizetype index) const
{
    return attributesAt(index).value(name);
}

qsizetype AttributedString::splitAt(qsizetype position)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_spans.size(); ++i) {
        if (start == position)
            return i;
        const qsizetype end = start + m_spans[i].length;
        if (position < end) {
            Span tail {end - position, m_spans[i].attributes};
            m_spans[i].length = position - start;
            m_spans.insert(i + 1, tail);
            return i + 1;
        }
        start = end;
    }
    return m_spans.size();
}

void AttributedString::mergeNeighbours()
{
    for (qsizetype i = m_spans.size() - 1; i > 0; --i) {
        if (m_spans[i].attributes == m_spans[i - 1].attributes) {
            m_spans[i - 1].length += m_spans[i].length;
            m_spans.removeAt(i);
        }
    }
}

template <class Fn>
void AttributedString::editRange(qsizetype start, qsizetype length, Fn&& edit)
{
    start = std::clamp<qsizetype>(start, 0, m_text.size());
    const qsizetype end = std::clamp<qsizetype>(start + std::max<qsizetype>(length, 0), start, m_text.size());
    if (start == end)
        return;
    const qsizetype first = splitAt(start);
    const qsizetype last = splitAt(end);
    for (qsizetype i = first; i < last; ++i)
        edit(m_spans[i].attributes);
    mergeNeighbours();
}

void AttributedString::setAttributes(const TextAttributes& attributes, qsizetype start, qsizetype length)
{
    editRange(start, length, [&](TextAttributes& a) { a = attributes; });
}

void AttributedString::addAttribute(const QString& name, const QVariant& value, qsizetype start, qsizetype length)
{
    editRange(start, length, [&](TextAttributes& a) { a.insert(name, value); });
}

void AttributedString::removeAttribute(const QString& name, qsizetype start, qsizetype length)
{
    editRange(start, length, [&](TextAttributes& a) { a.remove(name); });
}

void AttributedString::append(const AttributedString& other)
{
    // Neighbours within each side already differ: only the seam can merge,
    // which keeps building a text run by run linear.
    m_text += other.m_text;
    qsizetype first = 0;
    if (!m_spans.isEmpty() && !other.m_spans.isEmpty() && m_spans.back().attributes == other.m_spans.front().attributes) {
        m_spans.back().length += other.m_spans.front().length;
        first = 1;
    }
    for (qsizetype i = first; i < other.m_spans.size(); ++i)
        m_spans.append(other.m_spans[i]);
}

void AttributedString::append(const QString& text, const TextAttributes& attributes)
{
    append(AttributedString(text, attributes));
}

AttributedString AttributedString::substring(qsizetype start, qsizetype length) const
{
    start = std::clamp<qsizetype>(start, 0, m_text.size());
    const qsizetype end = std::clamp<qsizetype>(start + std::max<qsizetype>(length, 0), start, m_text.size());
    AttributedString result;
    for (const Run& run : runs()) {
        const qsizetype from = std::max(run.start, start);
        const qsizetype to = std::min(run.start + run.length, end);
        if (from < to)
            result.append(m_text.mid(from, to - from), run.attributes);
    }
    return result;
}

void AttributedString::replaceLoneSurrogates()
{
    ql::replaceLoneSurrogates(m_text);
}

namespace {

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

size_t contentHash(const TextAttributes& attributes)
{
    size_t hash = 0;
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
        hash = qHashMulti(hash, it.key());
        const QVariant& value = it.value();
        if (value.metaType() == QMetaType::fromType<Font>()) {
            const Font font = value.value<Font>();
            hash = qHashMulti(hash, font.postScriptName(), font.pointSize());
        } else if (value.metaType() == QMetaType::fromType<QString>()) {
            hash = qHashMulti(hash, value.toString());
        } else if (isNumber(value)) {
            // Numbers of different types compare by value.
            hash = qHashMulti(hash, value.toDouble());
        }
    }
    return hash;
}

} // namespace ql
