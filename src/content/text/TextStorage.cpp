#include "content/text/TextStorage.h"

#include "content/text/AttributedTextMapping.h"
#include "content/text/TextContainer.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/archive/PlatformValueDecoding.h"
#include "platform/archive/PlatformValueEncoding.h"

#include <algorithm>
#include <utility>

namespace ql::text {

TextStorage::TextStorage(QObject* parent) : QObject(parent) {}

TextStorage::~TextStorage() = default;

void TextStorage::makeDocument() const
{
    m_released.reset();
    auto* self = const_cast<TextStorage*>(this);
    m_document = new QTextDocument(self);
    // Edits are undone through the document's undo manager, never Qt's own.
    m_document->setUndoRedoEnabled(false);
    m_document->setDocumentMargin(0);
    m_layout = new FlowLayout(m_document);
    // Making the document changes nothing of the text: nobody is told.
    text::fillNewDocument(*m_document, m_text);
    m_revisionWhenMade = m_revision;
    connect(m_document, &QTextDocument::contentsChange, self, [self](int position, int removed, int added) {
        ++self->m_revision;
        emit self->textChanged(position, removed, added);
    });
    const QList<TextContainer*> containers = std::exchange(m_containers, {});
    for (TextContainer* container : containers)
        m_layout->addTextContainer(container);
    connect(m_layout, &FlowLayout::layoutInvalidated, self, &TextStorage::layoutInvalidated);
}

QTextDocument* TextStorage::document() const
{
    if (!m_document)
        makeDocument();
    return m_document;
}

RangeReading TextStorage::reading(int location, int length) const
{
    if (length <= 0)
        return RangeReading();
    // A few are enough: the selection's, the whole text's.
    constexpr qsizetype kKept = 4;
    m_readings.removeIf([this](const KeptReading& kept) { return kept.revision != m_revision; });
    for (const KeptReading& kept : std::as_const(m_readings)) {
        if (kept.location == location && kept.length == length)
            return kept.reading;
    }
    ++m_rangesRead;
    if (m_readings.size() >= kKept)
        m_readings.removeFirst();
    m_readings.append(KeptReading {m_revision, location, length, readRange(*document(), location, length)});
    return m_readings.constLast().reading;
}

FlowLayout* TextStorage::layoutManager() const
{
    if (!m_document)
        makeDocument();
    return m_layout;
}

int TextStorage::textContainerCount() const
{
    return m_layout ? m_layout->textContainerCount() : int(m_containers.size());
}

TextContainer* TextStorage::textContainerAt(int index) const
{
    if (m_layout)
        return m_layout->textContainerAt(index);
    return index >= 0 && index < m_containers.size() ? m_containers[index] : nullptr;
}

int TextStorage::indexOfTextContainer(const TextContainer* container) const
{
    if (m_layout)
        return m_layout->indexOfTextContainer(container);
    return int(m_containers.indexOf(const_cast<TextContainer*>(container)));
}

void TextStorage::insertTextContainer(TextContainer* container, int index)
{
    if (!container)
        return;
    if (m_layout) {
        m_layout->insertTextContainer(container, index);
        return;
    }
    m_released.reset();
    // A container still in another layout leaves it, as the layout's own
    // insert does.
    if (FlowLayout* other = container->layoutManager())
        other->removeTextContainer(container);
    m_containers.removeAll(container);
    m_containers.insert(std::clamp<qsizetype>(index, 0, m_containers.size()), container);
    emit layoutInvalidated();
}

void TextStorage::removeTextContainer(TextContainer* container)
{
    if (m_layout) {
        m_layout->removeTextContainer(container);
    } else if (m_containers.removeAll(container) > 0) {
        m_released.reset();
        emit layoutInvalidated();
    }
}

void TextStorage::releaseDocument()
{
    if (!m_document || m_revision != m_revisionWhenMade)
        return;
    for (int i = 0; i < m_layout->textContainerCount(); ++i)
        m_containers.append(m_layout->textContainerAt(i));
    if (m_layout->isLaidOut())
        m_released = ReleasedLayout {m_layout->hasOverflow(), containerGeometry()};
    // The layout goes with its document and lets go of the containers.
    delete std::exchange(m_document, nullptr);
    m_layout = nullptr;
}

qint64 TextStorage::laidOutBytes() const
{
    if (!m_document)
        return 0;
    // As measured: a document and its layout take some 16 KB however short
    // the text; each character adds a few bytes to the document and some
    // 40 more to the lines it is laid out in (glyphs, advances, positions).
    // Overflow is laid out nowhere.
    constexpr qint64 kDocumentBytes = 16 << 10;
    constexpr qint64 kStoredBytes = 4;
    constexpr qint64 kLaidOutBytes = 40;
    return kDocumentBytes + kStoredBytes * textLength(*m_document)
           + kLaidOutBytes * m_layout->firstOverflowCharacter();
}

bool TextStorage::hasOverflow() const
{
    if (!m_document && m_released && m_released->geometry == containerGeometry())
        return m_released->overflows;
    return layoutManager()->hasOverflow();
}

QList<quint64> TextStorage::containerGeometry() const
{
    QList<quint64> geometry;
    for (int i = 0; i < textContainerCount(); ++i)
        geometry.append(textContainerAt(i)->geometryRevision());
    return geometry;
}

AttributedString TextStorage::attributedString() const
{
    // Unchanged since it was read, or since its document was made from it,
    // the text is the one kept: saving a long text need not make its
    // document again nor walk it.
    if (!m_document || m_revision == m_revisionWhenMade)
        return m_text;
    return text::attributedString(*m_document);
}

void TextStorage::setAttributedString(const AttributedString& text)
{
    text::setAttributedString(*document(), text);
}

AttributedString TextStorage::attributedSubstring(int position, int length) const
{
    return text::attributedSubstring(*document(), position, length);
}

QString TextStorage::string() const
{
    return plainText(*document());
}

int TextStorage::length() const
{
    if (isPlainEmpty())
        return 0;
    return textLength(*document());
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
    std::optional<AttributedString> text = decodeAttributedStringKeys(coder);
    if (m_document) {
        setAttributedString(text.value_or(AttributedString()));
        return;
    }
    // Kept as read until the document is needed; its fonts are looked up
    // now, under the reader's budget.
    m_text = std::move(text).value_or(AttributedString());
    text::lookUpFonts(m_text);
    m_released.reset();
    ++m_revision;
}

} // namespace ql::text
