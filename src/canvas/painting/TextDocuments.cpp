#include "canvas/painting/TextDocuments.h"

#include "platform/graphics/AttributedString.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace ql {

namespace {

// A device of 72 dots an inch: fonts measured on it are as many units tall
// as they have points.
QPaintDevice& device72()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(72 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

Qt::Alignment qtAlignment(ParagraphStyle::Alignment alignment)
{
    switch (alignment) {
    case ParagraphStyle::Alignment::Right: return Qt::AlignRight;
    case ParagraphStyle::Alignment::Center: return Qt::AlignHCenter;
    case ParagraphStyle::Alignment::Justified: return Qt::AlignJustify;
    default: return Qt::AlignLeft;
    }
}

QTextCharFormat charFormat(const TextAttributes& attributes)
{
    QTextCharFormat format;
    const QVariant font = attributes.value(TextAttribute::font);
    format.setFont(TextDocuments::qtFont(font.canConvert<Font>() ? font.value<Font>() : Font("Helvetica", 12)));
    const QVariant colour = attributes.value(TextAttribute::foregroundColor);
    format.setForeground(colour.canConvert<Color>() ? colour.value<Color>().toQColor() : QColor(Qt::black));
    const QVariant background = attributes.value(TextAttribute::backgroundColor);
    if (background.canConvert<Color>())
        format.setBackground(background.value<Color>().toQColor());
    if (attributes.value(TextAttribute::underline).toInt() != 0)
        format.setFontUnderline(true);
    if (attributes.value(TextAttribute::strikethrough).toInt() != 0)
        format.setFontStrikeOut(true);
    return format;
}

} // namespace

QFont TextDocuments::qtFont(const Font& font)
{
    QString name = font.isNull() ? QStringLiteral("Helvetica") : font.postScriptName();
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    const QString style = dash >= 0 ? name.mid(dash + 1) : QString();
    QString family = dash >= 0 ? name.left(dash) : name;
    // The system's "Helvetica Neue" is shown with the Helvetica-compatible face.
    if (family.startsWith(QLatin1String("HelveticaNeue")))
        family = QStringLiteral("Helvetica");
    QFont result(family);
    result.setPointSizeF(font.pointSize() > 0 ? font.pointSize() : 12.0);
    result.setBold(style.contains(QLatin1String("Bold")));
    result.setItalic(style.contains(QLatin1String("Italic")) || style.contains(QLatin1String("Oblique")));
    return result;
}

std::unique_ptr<QTextDocument> TextDocuments::documentFor(const AttributedString& text, double width)
{
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout()->setPaintDevice(&device72());
    document->setDocumentMargin(0);
    document->setTextWidth(std::max(width, 1.0));
    QTextCursor cursor(document.get());
    for (const AttributedString::Run& run : text.runs()) {
        const QString part = text.string().mid(run.start, run.length);
        const QVariant style = run.attributes.value(TextAttribute::paragraphStyle);
        const QStringList lines = part.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            if (style.canConvert<ParagraphStyle>()) {
                QTextBlockFormat block = cursor.blockFormat();
                block.setAlignment(qtAlignment(style.value<ParagraphStyle>().alignment));
                cursor.setBlockFormat(block);
            }
            cursor.insertText(lines[i], charFormat(run.attributes));
        }
    }
    return document;
}

} // namespace ql
