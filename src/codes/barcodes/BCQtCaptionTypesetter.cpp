#include "codes/barcodes/BCQtCaptionTypesetter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextLayout>

namespace ql {

namespace {

// Text layout works in 26.6 fixed point; this is wide enough for any caption.
constexpr double UnlimitedWidth = 1.0e6;
constexpr int DotsPerMeterAt72Dpi = 2835; // Qt rounds this to 72 logical dpi
// Enough for every size a few codes in view are fitted to; sizes typed in
// by hand could otherwise grow the cache without end.
constexpr qsizetype KeptFonts = 64;

// Lays out only the first line: captions show nothing beyond it.
std::unique_ptr<QTextLayout> layOutFirstLine(const QString& text, const QFont& font, const QPaintDevice* device,
                                             double widthLimit)
{
    auto layout = std::make_unique<QTextLayout>(text, font, device);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid())
        line.setLineWidth(widthLimit > 0 ? widthLimit : UnlimitedWidth);
    layout->endLayout();
    return layout;
}

} // namespace

const BCCaptionTypesetter& BCCaptionTypesetter::standard()
{
    static const BCQtCaptionTypesetter typesetter;
    return typesetter;
}

BCQtCaptionTypesetter::BCQtCaptionTypesetter()
    : m_device(1, 1, QImage::Format_ARGB32_Premultiplied)
{
    m_device.setDotsPerMeterX(DotsPerMeterAt72Dpi);
    m_device.setDotsPerMeterY(DotsPerMeterAt72Dpi);
}

QString BCQtCaptionTypesetter::resolvedFamily(const QString& fontName) const
{
    std::lock_guard lock(m_mutex);
    return resolvedFamilyLocked(fontName);
}

QString BCQtCaptionTypesetter::resolvedFamilyLocked(const QString& fontName) const
{
    auto it = m_families.constFind(fontName);
    if (it == m_families.constEnd())
        it = m_families.insert(fontName, QFontDatabase::hasFamily(fontName) ? fontName : QStringLiteral("Helvetica"));
    return *it;
}

QFont BCQtCaptionTypesetter::fontFor(const QString& fontName, double fontSize) const
{
    const double size = fontSize > 0 ? fontSize : 1.0;
    std::lock_guard lock(m_mutex);
    const std::pair<QString, double> key(fontName, size);
    if (const auto it = m_fonts.constFind(key); it != m_fonts.constEnd())
        return *it;
    QFont font(resolvedFamilyLocked(fontName));
    font.setPointSizeF(size);
    // Unhinted outlines keep widths proportional to the size, which the
    // caption fitting relies on.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::ForceOutline);
    if (m_fonts.size() >= KeptFonts)
        m_fonts.clear();
    m_fonts.insert(key, font);
    return font;
}

BCCaptionLine BCQtCaptionTypesetter::firstLine(const QString& text, const QString& fontName, double fontSize,
                                               double widthLimit) const
{
    if (text.isEmpty())
        return {};
    const auto layout = layOutFirstLine(text, fontFor(fontName, fontSize), &m_device, widthLimit);
    const QTextLine line = layout->lineAt(0);
    if (!line.isValid())
        return {};
    return {line.textLength(), line.naturalTextWidth(), line.ascent(), line.descent()};
}

void BCQtCaptionTypesetter::drawFirstLine(QPainter& painter, const QString& text, const QString& fontName,
                                          double fontSize, double widthLimit, QPointF baseline) const
{
    if (text.isEmpty())
        return;
    const auto layout = layOutFirstLine(text, fontFor(fontName, fontSize), &m_device, widthLimit);
    const QTextLine line = layout->lineAt(0);
    if (!line.isValid())
        return;
    painter.save();
    painter.setPen(Qt::black);
    // Alignment is ours to do, so the line is drawn from its own start.
    line.draw(&painter, QPointF(baseline.x() - line.x(), baseline.y() - line.ascent()));
    painter.restore();
}

} // namespace ql
