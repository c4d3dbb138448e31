// How each formatting property reaches the text, and the colour,
// justification and emphasis commands the inspector calls. Everything acts on
// applyRange() (the selection while editing, else the whole text), except
// paragraph settings, which always cover the whole text.
#include "content/ZVTextView.h"

#include "content/text/AttributedTextMapping.h"
#include "platform/graphics/FontResolver.h"
#include "content/text/TextStorage.h"

#include <QTextCursor>

namespace {

namespace A = ql::TextAttribute;
using ql::FontResolver;

ql::ParagraphStyle::Alignment toAlignment(int platformAlignment)
{
    return platformAlignment >= 0 && platformAlignment <= 4 ? ql::ParagraphStyle::Alignment(platformAlignment)
                                                            : ql::ParagraphStyle::Alignment::Left;
}

std::optional<ql::Font> fontOf(const ql::TextAttributes& attributes)
{
    const QVariant value = attributes.value(A::font);
    if (value.metaType() == QMetaType::fromType<ql::Font>())
        return value.value<ql::Font>();
    return std::nullopt;
}

// Runs a group of text edits as one change of the text.
class EditingBatch {
public:
    explicit EditingBatch(QTextDocument* document) : m_cursor(document) { m_cursor.beginEditBlock(); }
    ~EditingBatch() { m_cursor.endEditBlock(); }

private:
    QTextCursor m_cursor;
};

} // namespace

int ZVTextView::alignmentFromJustification(int justification)
{
    switch (justification) {
    case CenterJustification: return int(ql::ParagraphStyle::Alignment::Center);
    case RightJustification: return int(ql::ParagraphStyle::Alignment::Right);
    case FullJustification: return int(ql::ParagraphStyle::Alignment::Justified);
    default: return int(ql::ParagraphStyle::Alignment::Left);
    }
}

QStringList ZVTextView::typeFaceFonts() const
{
    return FontResolver::memberPostScriptNames(m_currentFontFamilyName);
}

QStringList ZVTextView::typeFaces() const
{
    return FontResolver::memberStyleNames(m_currentFontFamilyName);
}

void ZVTextView::applyFont()
{
    setFontTypeFaces(typeFaces());
    const QStringList fonts = typeFaceFonts();
    // A family that names no installed face leaves the text as it is.
    if (fonts.isEmpty())
        return;
    const qint64 index = m_currentFontTypeFaceIndex >= 0 && m_currentFontTypeFaceIndex < fonts.size()
                             ? m_currentFontTypeFaceIndex
                             : 0;
    const ql::Font font(fonts[qsizetype(index)], double(m_currentFontSize.toFloat()));
    const Range range = applyRange();
    ql::text::addAttribute(*m_storage->document(), A::font, QVariant::fromValue(font), range.location, range.length);
    m_typingAttributes.insert(A::font, QVariant::fromValue(font));
}

void ZVTextView::applyFontSize()
{
    const double size = double(m_currentFontSize.toFloat());
    const Range range = applyRange();
    ql::text::editAttributes(*m_storage->document(), range.location, range.length, [size](ql::TextAttributes& a) {
        if (std::optional<ql::Font> font = fontOf(a))
            a.insert(A::font, QVariant::fromValue(font->withPointSize(size)));
    });
    if (std::optional<ql::Font> typing = fontOf(m_typingAttributes))
        m_typingAttributes.insert(A::font, QVariant::fromValue(typing->withPointSize(size)));
}

void ZVTextView::applyLetterSpacing()
{
    const Range range = applyRange();
    ql::text::addAttribute(*m_storage->document(), A::kern, m_currentLetterSpacing, range.location, range.length);
    m_typingAttributes.insert(A::kern, m_currentLetterSpacing);
}

void ZVTextView::applyStroke()
{
    // Stored negative: the glyphs are filled and outlined.
    const QVariant width = -m_strokeWidth.toDouble();
    const Range range = applyRange();
    auto apply = [&](ql::TextAttributes& a) {
        a.remove(A::strokeWidth);
        a.remove(A::strokeColor);
        if (m_strokeEnabled) {
            a.insert(A::strokeWidth, width);
            a.insert(A::strokeColor, m_strokeColor);
        }
    };
    ql::text::editAttributes(*m_storage->document(), range.location, range.length, apply);
    apply(m_typingAttributes);
}

void ZVTextView::applyParagraphAttributes()
{
    ql::ParagraphStyle style;
    style.lineHeightMultiple = double(m_currentLineSpacing.toFloat());
    style.paragraphSpacing = double(m_currentParagraphSpacing.toFloat());
    style.firstLineHeadIndent = double(m_currentParagraphIndent.toFloat());
    style.headIndent = double(m_currentParagraphNextIndent.toFloat());
    style.tabStops = QList<double> {};
    style.alignment = toAlignment(alignmentFromJustification(m_currentJustification.toInt()));
    style.hyphenationFactor = m_allowHyphenation ? 1.0 : 0.0;
    ql::text::addAttribute(*m_storage->document(), A::paragraphStyle, QVariant::fromValue(style), 0, textLength());
    // Text typed into an empty box gets the settings the inspector shows.
    m_typingAttributes.insert(A::paragraphStyle, QVariant::fromValue(style));
}

// Commands --------------------------------------------------------------------

void ZVTextView::setTextColor(const ql::Color& color)
{
    if (m_currentTextColor.metaType() != QMetaType::fromType<ql::Color>())
        setCurrentTextColor(QVariant::fromValue(ql::Color::black()));
    const Range range = applyRange();
    registerStateUndo(captureState({{QStringLiteral("currentTextColor"), m_currentTextColor}}, range));
    setCurrentTextColor(QVariant::fromValue(color));
    ql::text::addAttribute(*m_storage->document(), A::foregroundColor, QVariant::fromValue(color), range.location,
                           range.length);
    const int length = textLength();
    if (m_selectedRange.location == length || m_selectedRange.end() == length)
        m_typingAttributes.insert(A::foregroundColor, QVariant::fromValue(color));
}

void ZVTextView::setHighlightColor(const ql::Color& color)
{
    if (m_currentHighlightColor.metaType() != QMetaType::fromType<ql::Color>())
        setCurrentHighlightColor(QVariant::fromValue(ql::Color::clear()));
    const Range range = applyRange();
    registerStateUndo(captureState({{QStringLiteral("currentHighlightColor"), m_currentHighlightColor}}, range));
    setCurrentHighlightColor(QVariant::fromValue(color));
    ql::text::addAttribute(*m_storage->document(), A::backgroundColor, QVariant::fromValue(color), range.location,
                           range.length);
    const int length = textLength();
    if (m_selectedRange.location == length || m_selectedRange.end() == length)
        m_typingAttributes.insert(A::backgroundColor, QVariant::fromValue(color));
}

int ZVTextView::alignment() const
{
    const Range range = applyRange();
    const ql::TextAttributes attributes = textLength() == 0
                                              ? m_typingAttributes
                                              : ql::text::attributesAt(*m_storage->document(),
                                                                       std::min(range.location, textLength() - 1));
    const QVariant style = attributes.value(A::paragraphStyle);
    if (style.metaType() != QMetaType::fromType<ql::ParagraphStyle>())
        return int(ql::ParagraphStyle::Alignment::Natural);
    return int(style.value<ql::ParagraphStyle>().alignment);
}

void ZVTextView::setAlignment(int platformAlignment)
{
    const ql::ParagraphStyle::Alignment alignment = toAlignment(platformAlignment);
    auto align = [alignment](ql::TextAttributes& a) {
        const QVariant value = a.value(A::paragraphStyle);
        ql::ParagraphStyle style = value.metaType() == QMetaType::fromType<ql::ParagraphStyle>()
                                       ? value.value<ql::ParagraphStyle>()
                                       : ql::ParagraphStyle();
        style.alignment = alignment;
        a.insert(A::paragraphStyle, QVariant::fromValue(style));
    };
    ql::text::editAttributes(*ensureStorage()->document(), 0, textLength(), align);
    align(m_typingAttributes);
    // The setting follows, or the next paragraph change would put the old
    // alignment back.
    findCurrentJustification();
}

void ZVTextView::setJustification(qint64 justification)
{
    registerStateUndo(captureState({{QStringLiteral("currentJustification"), m_currentJustification}},
                                   Range {0, textLength()}));
    setAlignment(alignmentFromJustification(int(std::clamp<qint64>(justification, -1, 4))));
}

void ZVTextView::setEmphasis(qint64 emphasis)
{
    const Range range = applyRange();
    registerStateUndo(captureState({{QStringLiteral("currentEmphasis"), m_currentEmphasis}}, range));
    QTextDocument& document = *m_storage->document();
    ql::TextAttributes typing = m_typingAttributes;
    const bool present = m_currentEmphasis.contains(QVariant(emphasis)) || m_currentEmphasis.contains(QVariant(int(emphasis)));
    if (emphasis == BoldEmphasis || emphasis == ItalicEmphasis) {
        const int trait = emphasis == BoldEmphasis ? ql::BoldTrait : ql::ItalicTrait;
        EditingBatch batch(&document);
        ql::text::editAttributes(document, range.location, range.length, [&](ql::TextAttributes& a) {
            if (std::optional<ql::Font> font = fontOf(a))
                a.insert(A::font, QVariant::fromValue(present ? FontResolver::convertFont(*font, 0, trait)
                                                              : FontResolver::convertFont(*font, trait, 0)));
        });
        // Typing continues in the family's plain face, or its face with the trait.
        if (std::optional<ql::Font> font = fontOf(typing)) {
            const ql::Font typed =
                FontResolver::fontWithFamily(FontResolver::face(font->postScriptName()).familyName, present ? 0 : trait, font->pointSize());
            if (!typed.isNull())
                typing.insert(A::font, QVariant::fromValue(typed));
        }
    } else if (emphasis == UnderlineEmphasis || emphasis == StrikethroughEmphasis) {
        const QString name = emphasis == UnderlineEmphasis ? A::underline : A::strikethrough;
        if (present) {
            ql::text::removeAttribute(document, name, range.location, range.length);
            typing.remove(name);
        } else {
            ql::text::addAttribute(document, name, 1, range.location, range.length);
            typing.insert(name, 1);
        }
    }
    m_typingAttributes = typing;
    // Bold and italic change the face: the face, not only the emphasis, is read back.
    readFaceBack();
}
