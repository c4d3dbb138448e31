#include "content/text/TextRuns.h"

#include "content/text/AttributedTextMapping.h"

#include <QTextBlock>
#include <QTextCursor>

namespace ql::text {

namespace {

// A stretch of one format: part of a fragment, or a paragraph separator.
struct Piece {
    int start = 0;
    int length = 0;
    TextAttributes attributes;
    bool separator = false;
};

QList<Piece> pieces(const QTextDocument& document, int start, int length)
{
    QList<Piece> result;
    forEachStretch(document, start, length,
                   [&](int position, int count, const QString&, const TextAttributes& attributes, bool separator) {
                       result.append(Piece {position, count, attributes, separator});
                   });
    return result;
}

} // namespace

QList<AttributeRun> attributeRuns(const QTextDocument& document, int start, int length)
{
    QList<AttributeRun> runs;
    for (const Piece& piece : pieces(document, start, length)) {
        if (!runs.isEmpty() && runs.back().attributes == piece.attributes)
            runs.back().length += piece.length;
        else
            runs.append(AttributeRun {piece.start, piece.length, piece.attributes});
    }
    return runs;
}

QList<ValueRun> valueRuns(const QTextDocument& document, const QString& name, int start, int length)
{
    QList<ValueRun> runs;
    for (const Piece& piece : pieces(document, start, length)) {
        const QVariant value = piece.attributes.value(name);
        if (!runs.isEmpty() && runs.back().value == value)
            runs.back().length += piece.length;
        else
            runs.append(ValueRun {piece.start, piece.length, value});
    }
    return runs;
}

bool editAttributes(QTextDocument& document, int start, int length, const std::function<void(TextAttributes&)>& edit)
{
    QList<Piece> changed;
    for (Piece piece : pieces(document, start, length)) {
        TextAttributes edited = piece.attributes;
        edit(edited);
        if (edited == piece.attributes)
            continue;
        piece.attributes = edited;
        changed.append(piece);
    }
    if (changed.isEmpty())
        return false;
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (const Piece& piece : changed) {
        if (piece.separator) {
            const QTextBlock block = document.findBlock(piece.start);
            QTextBlockFormat format = block.blockFormat();
            format.setProperty(SeparatorAttributesProperty, piece.attributes);
            cursor.setPosition(block.position());
            cursor.setBlockFormat(format);
            continue;
        }
        cursor.setPosition(piece.start);
        cursor.setPosition(piece.start + piece.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(charFormat(piece.attributes));
    }
    // A changed first character or separator may change its paragraph's style.
    refreshBlockFormats(document, changed.front().start, changed.back().start + changed.back().length);
    cursor.endEditBlock();
    return true;
}

bool addAttribute(QTextDocument& document, const QString& name, const QVariant& value, int start, int length)
{
    return editAttributes(document, start, length, [&](TextAttributes& a) { a.insert(name, value); });
}

bool removeAttribute(QTextDocument& document, const QString& name, int start, int length)
{
    return editAttributes(document, start, length, [&](TextAttributes& a) { a.remove(name); });
}

void setAttributeRuns(QTextDocument& document, const QList<AttributeRun>& runs)
{
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (const AttributeRun& run : runs)
        editAttributes(document, run.start, run.length, [&](TextAttributes& a) { a = run.attributes; });
    cursor.endEditBlock();
}

} // namespace ql::text
