#include "content/text/FontService.h"

#include "content/text/FontCatalogue.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QRawFont>
#include <QtEndian>
#include <cmath>

namespace ql::text {

struct FontService::Catalogue : FontCatalogue {};

namespace {

constexpr double kMaximumPointSize = 10000.0;

bool isBold(const FontFace& face)
{
    return face.weight >= 600;
}

// The member of a list closest to the wanted bold, italic and width.
std::optional<FontFace> closest(const QList<FontFace>& faces, bool bold, bool italic, int width, int weight)
{
    std::optional<FontFace> best;
    int bestScore = 0;
    for (const FontFace& face : faces) {
        if (isBold(face) != bold || face.italic != italic)
            continue;
        const int score = std::abs(face.width - width) * 10 + std::abs(face.weight - weight);
        if (!best || score < bestScore) {
            best = face;
            bestScore = score;
        }
    }
    return best;
}

// The face of an installed family (named in full or without its style
// words), else of a family fontconfig knows as an alias for one.
std::optional<FontFace> installedFace(const FontCatalogue& fonts, const FontRequest& request)
{
    for (const QString& family : {request.fullFamily, request.family}) {
        const QList<FontFace> installed = fonts.family(family);
        if (installed.isEmpty())
            continue;
        const bool bold = request.weight >= 600;
        std::optional<FontFace> chosen = closest(installed, bold, request.italic, request.width, request.weight);
        if (!chosen)
            chosen = closest(installed, bold, !request.italic, request.width, request.weight);
        return chosen ? chosen : installed.first();
    }
    return fonts.match(request);
}

qint16 tableShort(const QByteArray& table, int offset)
{
    if (table.size() < offset + 2)
        return 0;
    return qint16(qFromBigEndian<quint16>(table.constData() + offset));
}

} // namespace

FontService::FontService() = default;
FontService::~FontService() = default;

FontService& FontService::shared()
{
    static FontService service;
    return service;
}

const FontService::Catalogue& FontService::catalogue() const
{
    if (!m_catalogue)
        m_catalogue = std::make_unique<Catalogue>();
    return *m_catalogue;
}

QPaintDevice* FontService::layoutDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(72.0 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

double FontService::safePointSize(double size)
{
    return std::isfinite(size) && size > 0.0 && size <= kMaximumPointSize ? size : defaultPointSize;
}

FontFace FontService::face(const QString& postScriptName) const
{
    if (auto cached = m_faces.constFind(postScriptName); cached != m_faces.cend())
        return *cached;
    const Catalogue& fonts = catalogue();
    FontFace result;
    if (std::optional<FontFace> exact = fonts.byPostScriptName(postScriptName)) {
        result = *exact;
    } else {
        const FontRequest request = FontCatalogue::parse(postScriptName);
        std::optional<FontFace> chosen = installedFace(fonts, request);
        // Condensed faces often make a family of their own.
        if (request.width < 100 && (!chosen || chosen->width >= 100)) {
            for (const char* suffix : {" Narrow", " Condensed"}) {
                FontRequest narrow = request;
                narrow.family = narrow.fullFamily = request.family + QLatin1String(suffix);
                if (std::optional<FontFace> face = installedFace(fonts, narrow)) {
                    chosen = face;
                    break;
                }
            }
        }
        if (!chosen) {
            // Nothing of that family: the default family in the asked style.
            const FontFace fallback = fonts.defaultFace();
            chosen = closest(fonts.family(fallback.familyName), request.weight >= 600, request.italic, request.width,
                             request.weight);
            if (!chosen)
                chosen = fallback;
        }
        result = *chosen;
    }
    m_faces.insert(postScriptName, result);
    return result;
}

QString FontService::familyName(const QString& postScriptName) const
{
    const Catalogue& fonts = catalogue();
    if (std::optional<FontFace> exact = fonts.byPostScriptName(postScriptName))
        return exact->familyName;
    const std::optional<FontFace> found = installedFace(fonts, FontCatalogue::parse(postScriptName));
    return found ? found->familyName : QString();
}

QList<FontFace> FontService::members(const QString& familyName) const
{
    const QString family = this->familyName(familyName);
    return family.isEmpty() ? QList<FontFace>() : catalogue().family(family);
}

QStringList FontService::memberPostScriptNames(const QString& familyName) const
{
    QStringList names;
    for (const FontFace& face : members(familyName))
        names.append(face.postScriptName);
    return names;
}

QStringList FontService::memberStyleNames(const QString& familyName) const
{
    QStringList names;
    for (const FontFace& face : members(familyName))
        names.append(face.styleName);
    return names;
}

qint64 FontService::indexInFamily(const QString& postScriptName) const
{
    if (familyName(postScriptName).isEmpty())
        return notFound;
    const QString resolved = face(postScriptName).postScriptName;
    const qsizetype index = memberPostScriptNames(face(postScriptName).familyName).indexOf(resolved);
    return index < 0 ? notFound : qint64(index);
}

int FontService::traits(const ql::Font& font) const
{
    const FontFace f = face(font.postScriptName());
    return (isBold(f) ? BoldTrait : 0) | (f.italic ? ItalicTrait : 0);
}

ql::Font FontService::convertFont(const ql::Font& font, int addTraits, int removeTraits) const
{
    const FontFace from = face(font.postScriptName());
    const int wanted = (traits(font) | addTraits) & ~removeTraits;
    const bool bold = wanted & BoldTrait;
    const int weight = bold == isBold(from) ? from.weight : (bold ? 700 : 400);
    std::optional<FontFace> to = closest(catalogue().family(from.familyName), bold, wanted & ItalicTrait, from.width, weight);
    if (!to)
        return font;
    return ql::Font(to->postScriptName, font.pointSize());
}

ql::Font FontService::fontWithFamily(const QString& familyName, int traits, double pointSize) const
{
    std::optional<FontFace> f = closest(members(familyName), traits & BoldTrait, traits & ItalicTrait, 100,
                                        (traits & BoldTrait) ? 700 : 400);
    return f ? ql::Font(f->postScriptName, pointSize) : ql::Font();
}

QFont FontService::qfont(const ql::Font& font) const
{
    const double size = safePointSize(font.pointSize());
    const QString key = font.postScriptName() + QLatin1Char('@') + QString::number(size, 'g', 17);
    if (auto cached = m_fonts.constFind(key); cached != m_fonts.cend())
        return *cached;
    const FontFace f = face(font.postScriptName().isEmpty() ? QStringLiteral("Helvetica") : font.postScriptName());
    QFont q(f.qtFamily);
    q.setWeight(QFont::Weight(std::clamp(f.weight, 1, 1000)));
    q.setStyle(f.italic ? QFont::StyleItalic : QFont::StyleNormal);
    q.setStretch(std::clamp(f.width, 1, 4000));
    q.setPointSizeF(size);
    // Outlines as designed: hinting would snap metrics to whole device pixels.
    q.setHintingPreference(QFont::PreferNoHinting);
    m_fonts.insert(key, q);
    return q;
}

LineMetrics FontService::lineMetrics(const QFont& font) const
{
    const QString key = font.key();
    if (auto cached = m_metrics.constFind(key); cached != m_metrics.cend())
        return *cached;
    const QFont device(font, layoutDevice());
    const QRawFont raw = QRawFont::fromFont(device);
    LineMetrics metrics;
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    const double unitsPerEm = double(quint16(tableShort(head, 18)));
    if (raw.isValid() && unitsPerEm > 0 && hhea.size() >= 10) {
        // The horizontal header's ascender, descender and line gap, as the
        // platform's text system spaces lines.
        const double scale = raw.pixelSize() / unitsPerEm;
        metrics.ascent = tableShort(hhea, 4) * scale;
        metrics.descent = -tableShort(hhea, 6) * scale;
        metrics.leading = std::max(0.0, tableShort(hhea, 8) * scale);
    } else {
        const QFontMetricsF fm(device);
        metrics.ascent = fm.ascent();
        metrics.descent = fm.descent();
        metrics.leading = std::max(0.0, fm.leading());
    }
    if (!(metrics.ascent + metrics.descent > 0)) {
        const double size = QFontInfo(device).pointSizeF();
        metrics = LineMetrics {size * 0.8, size * 0.2, 0.0};
    }
    m_metrics.insert(key, metrics);
    return metrics;
}

ql::Font FontService::documentFont(const QFont& font) const
{
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : double(font.pixelSize());
    QString family = font.family();
    if (const qsizetype bracket = family.indexOf(QLatin1String(" ["));
        bracket > 0)
        family.truncate(bracket);
    QList<FontFace> faces = members(family);
    if (faces.isEmpty())
        faces = members(QStringLiteral("Helvetica"));
    const int weight = font.weight();
    std::optional<FontFace> f = closest(faces, weight >= 600, font.italic(), font.stretch() > 0 ? font.stretch() : 100, weight);
    if (!f)
        f = closest(faces, weight >= 600, !font.italic(), 100, weight);
    return ql::Font(f ? f->postScriptName : QStringLiteral("Helvetica"), safePointSize(size));
}

} // namespace ql::text
