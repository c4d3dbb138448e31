// Text with attribute runs. Attributes are a map from the platform's attribute
// names to values (Font, Color, ParagraphStyle, numbers, link strings), so that
// text read from a file keeps every attribute it had, known to us or not.
#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ParagraphStyle.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace ql {

using TextAttributes = QVariantMap;

// Attribute names as stored in documents.
namespace TextAttribute {
inline const QString font = QStringLiteral("NSFont");                       // Font
inline const QString foregroundColor = QStringLiteral("NSColor");           // Color
inline const QString backgroundColor = QStringLiteral("NSBackgroundColor"); // Color
inline const QString paragraphStyle = QStringLiteral("NSParagraphStyle");   // ParagraphStyle
inline const QString underline = QStringLiteral("NSUnderline");             // int style, 1 single
inline const QString strikethrough = QStringLiteral("NSStrikethrough");     // int style
inline const QString kern = QStringLiteral("NSKern");                       // double, points
inline const QString strokeWidth = QStringLiteral("NSStrokeWidth");         // double
inline const QString strokeColor = QStringLiteral("NSStrokeColor");         // Color
inline const QString link = QStringLiteral("NSLink");                       // QString URL
inline const QString language = QStringLiteral("NSLanguage");               // QString, "de" or "en-GB"
} // namespace TextAttribute

// A hash of an attribute map's names, fonts, strings and numbers, equal for
// equal maps: for finding equal maps among many (a text may hold a hundred
// thousand distinct ones) by comparing only those that hash alike.
size_t contentHash(const TextAttributes& attributes);

class AttributedString {
public:
    struct Run {
        qsizetype start = 0;
        qsizetype length = 0;
        TextAttributes attributes;
        bool operator==(const Run&) const = default;
    };

    AttributedString() = default;
    explicit AttributedString(const QString& text, const TextAttributes& attributes = {});

    const QString& string() const { return m_text; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    // Runs cover the whole text in order; neighbours always differ.
    QList<Run> runs() const;
    // The attributes at a character, and the run they belong to.
    TextAttributes attributesAt(qsizetype index, Run* effectiveRun = nullptr) const;
    QVariant attributeAt(const QString& name, qsizetype index) const;

    // Ranges are clipped to the text.
    void setAttributes(const TextAttributes& attributes, qsizetype start, qsizetype length);
    void addAttribute(const QString& name, const QVariant& value, qsizetype start, qsizetype length);
    void removeAttribute(const QString& name, qsizetype start, qsizetype length);

    void append(const AttributedString& other);
    void append(const QString& text, const TextAttributes& attributes = {});
    AttributedString substring(qsizetype start, qsizetype length) const;
    // Halves of characters become U+FFFD; the runs stay as they are.
    void replaceLoneSurrogates();

    bool operator==(const AttributedString&) const = default;

private:
    struct Span {
        qsizetype length = 0;
        TextAttributes attributes;
        bool operator==(const Span&) const = default;
    };

    // Splits spans so that one starts at position; returns its index.
    qsizetype splitAt(qsizetype position);
    void mergeNeighbours();
    template <class Fn>
    void editRange(qsizetype start, qsizetype length, Fn&& edit);

    QString m_text;
    QList<Span> m_spans;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::AttributedString)
