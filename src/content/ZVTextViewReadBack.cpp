// Reading the text's attributes back into the view's properties, so that the
// inspector shows what the selection (or the whole text) holds. Values read
// back are the text's own: they are neither applied again nor recorded for
// undo.
#include "content/ZVTextView.h"

#include "content/text/AttributedTextMapping.h"
#include "platform/graphics/FontResolver.h"
#include "content/text/TextStorage.h"

#include <QScopedValueRollback>

namespace {

namespace A = ql::TextAttribute;
using ql::FontResolver;

} // namespace

template <class Fn>
void ZVTextView::readingBack(Fn&& fn)
{
    QScopedValueRollback guard(m_readingBack, m_readingBack + 1);
    fn();
}

ql::text::RangeReading ZVTextView::readingOfApplyRange() const
{
    // A view being read has no text yet, which reads back as empty text.
    const Range range = applyRange();
    return m_storage ? m_storage->reading(range.location, range.length) : ql::text::RangeReading();
}

ql::TextAttributes ZVTextView::attributesForReadBack() const
{
    // At a caret the settings are what typing will use (a B pressed there
    // names its face at once), as the emphasis and spacing read back are.
    if (m_editMode && m_selectedRange.length == 0)
        return m_typingAttributes;
    if (m_editMode)
        return ql::text::attributesAt(*m_storage->document(), m_selectedRange.location);
    return ql::text::attributesAt(*m_storage->document(), 0);
}

QVariantList ZVTextView::getEmphasisTypes(const ql::TextAttributes& attributes)
{
    return ql::text::emphasisTypes(attributes);
}

void ZVTextView::findCurrentEmphasis()
{
    readingBack([&] {
        if (m_editMode && m_selectedRange.length == 0) {
            setCurrentEmphasis(getEmphasisTypes(m_typingAttributes));
            return;
        }
        setCurrentEmphasis(readingOfApplyRange().emphasis);
    });
}

void ZVTextView::findCurrentJustification()
{
    readingBack([&] {
        switch (ql::ParagraphStyle::Alignment(alignment())) {
        case ql::ParagraphStyle::Alignment::Left: setCurrentJustification(LeftJustification); break;
        case ql::ParagraphStyle::Alignment::Right: setCurrentJustification(RightJustification); break;
        case ql::ParagraphStyle::Alignment::Center: setCurrentJustification(CenterJustification); break;
        case ql::ParagraphStyle::Alignment::Justified: setCurrentJustification(FullJustification); break;
        case ql::ParagraphStyle::Alignment::Natural: break;
        }
    });
}

void ZVTextView::findCurrentLetterSpacing()
{
    readingBack([&] {
        std::optional<QVariant> kern;
        if (m_editMode && m_selectedRange.length == 0)
            kern = m_typingAttributes.value(A::kern);
        else
            kern = readingOfApplyRange().kern;
        if (kern)
            setCurrentLetterSpacing(kern->isValid() ? *kern : QVariant(0));
    });
}

void ZVTextView::findCurrentParagraphAttributes()
{
    readingBack([&] {
        std::optional<QVariant> value;
        if (m_editMode && m_selectedRange.length == 0)
            value = m_typingAttributes.value(A::paragraphStyle);
        else
            value = readingOfApplyRange().paragraphStyle;
        if (!value)
            return;
        if (value->metaType() != QMetaType::fromType<ql::ParagraphStyle>()) {
            setCurrentParagraphSpacing(0.0);
            setCurrentLineSpacing(1.0);
            setCurrentParagraphIndent(0.0);
            setCurrentParagraphNextIndent(0.0);
            setAllowHyphenation(false);
            return;
        }
        const ql::ParagraphStyle style = value->value<ql::ParagraphStyle>();
        setCurrentParagraphSpacing(style.paragraphSpacing);
        setCurrentLineSpacing(style.lineHeightMultiple);
        setCurrentParagraphIndent(style.firstLineHeadIndent);
        setCurrentParagraphNextIndent(style.headIndent);
        setCurrentLineHeight(style.maximumLineHeight);
        setAllowHyphenation(style.hyphenationFactor != 0.0);
    });
}

QVariant ZVTextView::readFontBack(const ql::TextAttributes& attributes)
{
    const QVariant font = attributes.value(A::font);
    if (font.metaType() != QMetaType::fromType<ql::Font>() || readingOfApplyRange().severalFonts)
        return QVariant();
    const ql::Font f = font.value<ql::Font>();
    const QString family = FontResolver::familyOf(f.postScriptName());
    setCurrentFontFamilyName(family.isEmpty() ? f.postScriptName() : family);
    setFontTypeFaces(typeFaces());
    setCurrentFontSize(f.pointSize());
    setCurrentFontTypeFaceIndex(FontResolver::indexInFamily(f.postScriptName()));
    return font;
}

QVariant ZVTextView::getCurrentFont(bool includeParagraph)
{
    QVariant result;
    readingBack([&] {
        if (textLength() == 0) {
            setStrokeEnabled(false);
        } else {
            const ql::TextAttributes attributes = attributesForReadBack();
            result = readFontBack(attributes);
            QVariant stroke = attributes.value(A::strokeWidth);
            const QVariant strokeColor = attributes.value(A::strokeColor);
            if (readingOfApplyRange().severalStrokeWidths)
                stroke = QVariant();
            setStrokeEnabled(false);
            if (stroke.isValid()) {
                setStrokeEnabled(true);
                setStrokeWidth(-stroke.toDouble());
                setStrokeColor(strokeColor);
            }
        }
        findCurrentEmphasis();
        findCurrentJustification();
        findCurrentLetterSpacing();
        if (includeParagraph)
            findCurrentParagraphAttributes();
        findInsets();
    });
    return result;
}

void ZVTextView::readFaceBack()
{
    readingBack([&] {
        setCurrentFont(textLength() == 0 ? QVariant() : readFontBack(attributesForReadBack()));
        findCurrentEmphasis();
    });
}

void ZVTextView::textViewDidChangeSelection()
{
    readingBack([&] { setCurrentFont(getCurrentFont(false)); });
    setNeedsDisplay();
}
