#include "content/text/RangeReading.h"

#include "content/text/AttributedTextMapping.h"
#include "platform/graphics/FontResolver.h"
#include "platform/object/ValueKind.h"

#include <QSet>

namespace ql::text {

namespace A = TextAttribute;

QVariantList emphasisTypes(const TextAttributes& attributes)
{
    QVariantList types;
    const QVariant font = attributes.value(A::font);
    if (font.metaType() == QMetaType::fromType<Font>()) {
        // The bold and italic bits count, whatever else the face is
        // (condensed, narrow): a bold condensed face reads as bold.
        const int traits = FontResolver::traits(font.value<Font>());
        if ((traits & BoldTrait) && (traits & ItalicTrait))
            types << ItalicEmphasis << BoldEmphasis;
        else if (traits & BoldTrait)
            types << BoldEmphasis;
        else if (traits & ItalicTrait)
            types << ItalicEmphasis;
    }
    if (attributes.value(A::underline).toInt() != 0)
        types << UnderlineEmphasis;
    if (attributes.value(A::strikethrough).toInt() != 0)
        types << StrikethroughEmphasis;
    return types;
}

QVariantList eachCodeOnce(const QVariantList& codes)
{
    // By value, whatever kind of number a file gave.
    QSet<double> met;
    QVariantList once;
    for (const QVariant& code : codes) {
        if (!isNumeric(code))
            once.append(code);
        else if (!met.contains(code.toDouble())) {
            met.insert(code.toDouble());
            once.append(code);
        }
    }
    return once;
}

namespace {

// Follows one attribute through the range's stretches as runs of equal
// values (absent being a value too).
class ValueTracker {
public:
    explicit ValueTracker(const QString& name) : m_name(name) {}

    void visit(const TextAttributes& attributes)
    {
        QVariant value = attributes.value(m_name);
        if (m_runs > 0 && value == m_last)
            return;
        ++m_runs;
        if (value.isValid()) {
            ++m_valued;
            m_found = value;
        }
        m_last = std::move(value);
    }
    bool several() const { return m_runs >= 2; }
    // The value when only one run has one (invalid when none has).
    std::optional<QVariant> single() const { return m_valued > 1 ? std::nullopt : std::optional<QVariant>(m_found); }

private:
    QString m_name;
    QVariant m_last;
    QVariant m_found;
    int m_runs = 0;
    int m_valued = 0;
};

} // namespace

RangeReading readRange(const QTextDocument& document, int location, int length)
{
    ValueTracker fonts(A::font), strokes(A::strokeWidth), kerns(A::kern), styles(A::paragraphStyle);
    RangeReading reading;
    TextAttributes previous;
    bool first = true;
    forEachFormatChange(document, location, length, [&](const TextAttributes& attributes) {
        if (!first && attributes == previous)
            return;
        for (ValueTracker* tracker : {&fonts, &strokes, &kerns, &styles})
            tracker->visit(attributes);
        for (const QVariant& code : emphasisTypes(attributes)) {
            if (!reading.emphasis.contains(code))
                reading.emphasis.append(code);
        }
        previous = attributes;
        first = false;
    });
    reading.severalFonts = fonts.several();
    reading.severalStrokeWidths = strokes.several();
    reading.kern = kerns.single();
    reading.paragraphStyle = styles.single();
    return reading;
}

} // namespace ql::text
