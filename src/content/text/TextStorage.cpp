#include "content/text/TextStorage.h"

#include "content/text/AttributedTextMapping.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/archive/PlatformValueDecoding.h"
#include "platform/archive/PlatformValueEncoding.h"

namespace ql::text {

TextStorage::TextStorage(QObject* parent) : TextStorage(parent, Unfilled {})
{
    setAttributedString(AttributedString());
}

TextStorage* TextStorage::forReading()
{
    return new TextStorage(nullptr, Unfilled {});
}

TextStorage::TextStorage(QObject* parent, Unfilled) : QObject(parent), m_document(new QTextDocument(this))
{
    // Edits are undone through the document's undo manager, never Qt's own.
    m_document->setUndoRedoEnabled(false);
    m_document->setDocumentMargin(0);
    m_layout = new FlowLayout(m_document);
    connect(m_document, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        ++m_revision;
        emit textChanged(position, removed, added);
    });
}

TextStorage::~TextStorage() = default;

AttributedString TextStorage::attributedString() const
{
    return text::attributedString(*m_document);
}

void TextStorage::setAttributedString(const AttributedString& text)
{
    text::setAttributedString(*m_document, text);
}

AttributedString TextStorage::attributedSubstring(int position, int length) const
{
    return text::attributedSubstring(*m_document, position, length);
}

QString TextStorage::string() const
{
    return plainText(*m_document);
}

int TextStorage::length() const
{
    return textLength(*m_document);
}

QStringList TextStorage::archiveClassChain() const
{
    return {QStringLiteral("NSTextStorage"), QStringLiteral("NSMutableAttributedString"),
            QStringLiteral("NSAttributedString"), QStringLiteral("NSObject")};
}

void TextStorage::encodeWithCoder(KeyedArchiver& coder) const
{
    encodeAttributedStringKeys(coder, attributedString());
}

void TextStorage::initWithCoder(KeyedUnarchiver& coder)
{
    // A record that holds no readable text gives an empty one.
    const std::optional<AttributedString> text = decodeAttributedStringKeys(coder);
    setAttributedString(text ? *text : AttributedString());
}

} // namespace ql::text
