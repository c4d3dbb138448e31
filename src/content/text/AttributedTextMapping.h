// Styled text between its stored form (ql::AttributedString, attributes under
// the platform's names) and the QTextDocument that layout and editing work
// on. The mapping is lossless: every run keeps its whole attribute map in its
// character format, the Qt properties being derived from it, so attributes
// Qt has no notion of (and values Qt would round, such as CMYK colours) come
// back as they were. Paragraph separators ("\n", "\r", "\r\n", U+2029) become
// block boundaries and keep their own characters and attributes.
#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/FontResolver.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <functional>
#include <optional>

namespace ql::text {

// Our properties in Qt's text formats.
enum FormatProperty {
    // Character format: the run's attribute map (QVariantMap).
    AttributesProperty = QTextFormat::UserProperty + 0x5100,
    // Block format: the paragraph's style (ql::ParagraphStyle), from its
    // first character.
    ParagraphStyleProperty,
    // Block format: the characters that ended the paragraph (QString) and
    // their attributes (QVariantMap); absent on the last block.
    SeparatorProperty,
    SeparatorAttributesProperty,
    // Character format: a hash of the attribute map's contents as a string
    // (QString), which Qt's lookup of formats can hash.
    AttributesKeyProperty,
};

// Replaces the document's whole text.
void setAttributedString(QTextDocument& document, const AttributedString& text);
AttributedString attributedString(const QTextDocument& document);
// Styled text from other programs' HTML, as Qt reads it. What the HTML
// leaves unstyled (blanks between its runs, the line end after the document,
// a size or family it never names) takes `unstyledFont`, the font of where
// the text goes, as CSS inherits it: never the toolkit's own default.
AttributedString attributedStringFromHtml(const QString& html, const Font& unstyledFont = FontResolver::defaultFont());
// Part of the document, positions as QTextDocument counts them.
AttributedString attributedSubstring(const QTextDocument& document, int position, int length);
// Inserts styled text at the cursor (replacing its selection) and leaves
// the cursor after it.
void insertAttributedString(QTextCursor& cursor, const AttributedString& text);

// The document's length without the final paragraph end Qt always keeps.
int textLength(const QTextDocument& document);
// The text as stored: blocks joined by their own separators.
QString plainText(const QTextDocument& document);

// A character format that draws the attributes and keeps them whole.
QTextCharFormat charFormat(const TextAttributes& attributes);
// Looks up the fonts a text names, so that its formats, made later and
// perhaps elsewhere, find them known: under the look-up budget of whatever
// reads the text.
void lookUpFonts(const AttributedString& text);
// The attributes a character format stands for: its own map, or for text
// that came from elsewhere (pasted HTML), what its Qt properties say.
TextAttributes attributes(const QTextCharFormat& format);

// Visits the range's stretches of one format in order: parts of fragments,
// and paragraph separators (one position, their stored characters).
using StretchVisitor =
    std::function<void(int start, int length, const QString& text, const TextAttributes& attributes, bool separator)>;
void forEachStretch(const QTextDocument& document, int position, int length, const StretchVisitor& visit);
// The attributes of the range's stretches in order, as forEachStretch visits
// them, without their text and once for each run of stretches of one format
// (a long text of a few formats is read in a walk of its paragraphs, not of
// its characters and their maps): neighbours may still read alike.
using FormatVisitor = std::function<void(const TextAttributes& attributes)>;
void forEachFormatChange(const QTextDocument& document, int position, int length, const FormatVisitor& visit);

// Attributes at a position, the paragraph separator's included.
TextAttributes attributesAt(const QTextDocument& document, int position);

// The paragraph style of a block, when its text gives one.
std::optional<ParagraphStyle> paragraphStyle(const QTextBlock& block);
// Attributes an empty block is laid out and typed with.
TextAttributes emptyBlockAttributes(const QTextBlock& block);
// Brings the block formats of blocks [first, last] in line with their text:
// paragraph style from the first character.
void refreshBlockFormats(QTextDocument& document, int firstPosition, int lastPosition);

// The characters that end a paragraph in stored text.
bool isParagraphSeparator(QChar c);

} // namespace ql::text
