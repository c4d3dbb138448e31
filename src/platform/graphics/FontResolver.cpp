#include "platform/graphics/FontResolver.h"

#include "platform/graphics/FontCatalogue.h"
#include "platform/graphics/StemDarkening.h"

#include <QFontInfo>
#include <QHash>
#include <QMutex>
#include <QRecursiveMutex>
#include <QVarLengthArray>
#include <QtEndian>
#include <cmath>
#include <memory>
#include <optional>

namespace ql {

namespace {

// Weight, slant and width words as PostScript names spell them, longest
// first so that "SemiBold" is not read as "Bold".
struct StyleWord {
    const char* word;
    int weight;    // 0: says nothing about the weight
    bool italic;
    QFont::Stretch stretch;
};
constexpr StyleWord styleWords[] = {
    {"ultralight", QFont::ExtraLight, false, QFont::AnyStretch},
    {"extralight", QFont::ExtraLight, false, QFont::AnyStretch},
    {"condensed", 0, false, QFont::Condensed},
    {"extrabold", QFont::ExtraBold, false, QFont::AnyStretch},
    {"ultrabold", QFont::ExtraBold, false, QFont::AnyStretch},
    {"semibold", QFont::DemiBold, false, QFont::AnyStretch},
    {"demibold", QFont::DemiBold, false, QFont::AnyStretch},
    {"oblique", 0, true, QFont::AnyStretch},
    {"regular", QFont::Normal, false, QFont::AnyStretch},
    {"italic", 0, true, QFont::AnyStretch},
    {"medium", QFont::Medium, false, QFont::AnyStretch},
    {"narrow", 0, false, QFont::Condensed},
    {"normal", QFont::Normal, false, QFont::AnyStretch},
    {"black", QFont::Black, false, QFont::AnyStretch},
    {"heavy", QFont::ExtraBold, false, QFont::AnyStretch},
    {"light", QFont::Light, false, QFont::AnyStretch},
    {"roman", QFont::Normal, false, QFont::AnyStretch},
    {"bold", QFont::Bold, false, QFont::AnyStretch},
    {"book", QFont::Normal, false, QFont::AnyStretch},
    {"demi", QFont::DemiBold, false, QFont::AnyStretch},
    {"thin", QFont::Thin, false, QFont::AnyStretch},
    {"ital", 0, true, QFont::AnyStretch},
};

// Families documents name that Linux lacks, with the family whose metrics
// match them, by family key. Anything not listed goes through fontconfig's
// own aliases.
const QHash<QString, QString>& standInsByKey()
{
    static const QHash<QString, QString> table {
        {QStringLiteral("helveticaneue"), QStringLiteral("Helvetica")},
        {QStringLiteral("lucidagrande"), QStringLiteral("Helvetica")},
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("timesnewroman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("couriernew"), QStringLiteral("Liberation Mono")},
    };
    return table;
}

QString standInFor(const QString& family)
{
    return standInsByKey().value(FontCatalogue::familyKey(family));
}

// "ArialMT" → "Arial", "TimesNewRomanPSMT" → "TimesNewRoman".
QString withoutVendorSuffix(QString name)
{
    for (const QLatin1String suffix : {QLatin1String("PSMT"), QLatin1String("MT"), QLatin1String("PS")}) {
        if (name.size() > suffix.size() + 1 && name.endsWith(suffix) && name.at(name.size() - suffix.size() - 1).isLetter()) {
            name.chop(suffix.size());
            break;
        }
    }
    return name;
}

// "HelveticaNeue" → "Helvetica Neue"; names with spaces stay as they are.
QString spacedFamily(const QString& name)
{
    if (name.contains(QLatin1Char(' ')))
        return name;
    QString spaced;
    spaced.reserve(name.size() + 4);
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (i > 0 && name.at(i).isUpper() && name.at(i - 1).isLower())
            spaced.append(QLatin1Char(' '));
        spaced.append(name.at(i));
    }
    return spaced;
}

// Reads style words off `style` into the description; false when something
// in it is not a style word (then it is part of the family after all).
bool readStyle(const QString& style, FontDescription& description)
{
    const QString lower = style.toLower();
    FontDescription read = description;
    qsizetype at = 0;
    while (at < lower.size()) {
        const StyleWord* found = nullptr;
        for (const StyleWord& word : styleWords) {
            if (QStringView(lower).sliced(at).startsWith(QLatin1String(word.word))) {
                found = &word;
                break;
            }
        }
        if (!found)
            return false;
        if (found->weight)
            read.weight = QFont::Weight(found->weight);
        read.italic = read.italic || found->italic;
        if (found->stretch != QFont::AnyStretch)
            read.stretch = found->stretch;
        at += qsizetype(qstrlen(found->word));
    }
    description = read;
    return true;
}

class LayoutDevice final : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 72;
        case PdmWidth:
        case PdmHeight:
            return 1000;
        case PdmWidthMM:
        case PdmHeightMM:
            return 353; // 1000 points
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }
};

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

qint16 tableShort(const QByteArray& table, int offset)
{
    if (table.size() < offset + 2)
        return 0;
    return qint16(qFromBigEndian<quint16>(table.constData() + offset));
}

// What a name stands for: the face it shows in, whether that face is of
// the family it names (rather than the default family's), and whether the
// answer is certain: an answer given without asking fontconfig's aliases
// (past a budget) holds until a budget with look-ups to spare asks again.
struct Known {
    FontFace face;
    bool named = false;
    bool certain = true;
    // Fonts made of the face, by point size.
    QList<std::pair<double, QFont>> fonts;
};

// The catalogue and what was worked out from it; painting may happen on
// other threads (thumbnails, output), so every use takes the lock.
struct State {
    QRecursiveMutex mutex;
    std::unique_ptr<FontCatalogue> catalogue;
    QHash<QString, Known> known;
    // One font of each face (by PostScript name) and size, however many
    // names stand for it.
    QHash<std::pair<QString, double>, QFont> fonts;
    QHash<QString, LineMetrics> metrics;

    const FontCatalogue& catalogueOf() {
        if (!catalogue)
            catalogue = std::make_unique<FontCatalogue>();
        return *catalogue;
    }
};

State& state()
{
    static State shared;
    return shared;
}

// Alias look-ups left to the innermost AliasBudget of this thread (none:
// unbounded), and how many it refused.
thread_local int t_aliasLookups = -1;
thread_local int t_aliasesRefused = 0;

// Whether a name may be matched against fontconfig's aliases: asked once
// per name, when its spellings name nothing installed.
class AliasLookup {
public:
    bool allowed()
    {
        if (!m_asked) {
            m_asked = true;
            m_allowed = t_aliasLookups != 0;
            if (!m_allowed)
                ++t_aliasesRefused;
            else if (t_aliasLookups > 0)
                --t_aliasLookups;
        }
        return m_allowed;
    }

private:
    bool m_asked = false;
    bool m_allowed = false;
};

// The face of an installed family the request names (in full, or through a
// stand-in), else of a family fontconfig knows as an alias of one.
std::optional<FontFace> installedFace(const FontCatalogue& fonts, FontRequest request, const QStringList& families,
                                     AliasLookup& aliases)
{
    // What fontconfig is asked for each family: its stand-in, if it has one.
    QVarLengthArray<QString, 2> asked;
    for (const QString& family : families) {
        const QString standIn = standInFor(family);
        asked.append(standIn.isEmpty() ? family : standIn);
        for (const QString* candidate : {&family, &standIn}) {
            const QList<FontFace> installed = candidate->isEmpty() ? QList<FontFace>() : fonts.family(*candidate);
            if (installed.isEmpty())
                continue;
            const bool bold = request.weight >= 600;
            std::optional<FontFace> chosen = closest(installed, bold, request.italic, request.width, request.weight);
            if (!chosen)
                chosen = closest(installed, bold, !request.italic, request.width, request.weight);
            return chosen ? chosen : installed.first();
        }
    }
    if (asked.isEmpty() || !aliases.allowed())
        return std::nullopt;
    request.family = asked.first();
    request.otherSpellings = QStringList(asked.begin() + 1, asked.end());
    return fonts.match(request);
}

FontRequest requestFor(const FontDescription& description)
{
    FontRequest request;
    request.weight = int(description.weight);
    request.italic = description.italic;
    request.width = description.stretch == QFont::AnyStretch ? 100 : int(description.stretch);
    return request;
}

// The face for a name, or nothing when the name names nothing installed.
std::optional<FontFace> knownFace(const FontCatalogue& fonts, const QString& postScriptName,
                                  const FontDescription& description)
{
    if (std::optional<FontFace> exact = fonts.byPostScriptName(postScriptName))
        return exact;
    const FontRequest request = requestFor(description);
    AliasLookup aliases;
    std::optional<FontFace> chosen = installedFace(fonts, request, description.families, aliases);
    // Condensed faces often make a family of their own ("Helvetica Narrow").
    if (request.width < 100 && (!chosen || chosen->width >= 100)) {
        for (const QString& family : description.families) {
            for (const char* suffix : {" Narrow", " Condensed"}) {
                const QString standIn = standInFor(family);
                const QString narrow = (standIn.isEmpty() ? family : standIn) + QLatin1String(suffix);
                if (std::optional<FontFace> face = installedFace(fonts, request, {narrow}, aliases))
                    return face;
            }
        }
    }
    return chosen;
}

// What a name stands for, worked out once: a name of nothing installed
// shows in the default family, in the style it asks for.
Known& knownOf(State& s, const QString& name)
{
    const auto hit = s.known.find(name);
    if (hit != s.known.end() && (hit->certain || t_aliasLookups <= 0))
        return *hit;
    const FontCatalogue& fonts = s.catalogueOf();
    const int refused = t_aliasesRefused;
    const FontDescription description = FontResolver::describe(name);
    Known found;
    if (std::optional<FontFace> face = knownFace(fonts, name, description)) {
        found.face = *face;
        found.named = true;
    } else {
        const FontFace fallback = fonts.defaultFace();
        const FontRequest request = requestFor(description);
        found.face = closest(fonts.family(fallback.familyName), request.weight >= 600, request.italic, request.width,
                             request.weight)
                         .value_or(fallback);
    }
    found.certain = refused == t_aliasesRefused;
    return *s.known.insert(name, found);
}

} // namespace

FontResolver::AliasBudget::AliasBudget(int lookups) : m_outer(t_aliasLookups)
{
    m_granted = m_outer < 0 ? std::max(0, lookups) : std::min(m_outer, std::max(0, lookups));
    t_aliasLookups = m_granted;
}

FontResolver::AliasBudget::~AliasBudget()
{
    // An enclosing budget pays for what this one spent.
    t_aliasLookups = m_outer < 0 ? m_outer : m_outer - (m_granted - t_aliasLookups);
}

FontDescription FontResolver::describe(const QString& postScriptName)
{
    FontDescription description;
    QString name = postScriptName.trimmed();
    if (name.isEmpty())
        return description;
    QString family = name;
    const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
    if (dash > 0 && dash + 1 < name.size()) {
        FontDescription styled = description;
        if (readStyle(withoutVendorSuffix(name.mid(dash + 1)), styled)) {
            description = styled;
            family = name.left(dash);
        }
    }
    family = withoutVendorSuffix(family);
    const QString spaced = spacedFamily(family);
    description.families.append(spaced);
    if (spaced != family)
        description.families.append(family);
    return description;
}

FontFace FontResolver::face(const QString& postScriptName)
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    return knownOf(s, postScriptName.isEmpty() ? defaultPostScriptName() : postScriptName).face;
}

QString FontResolver::resolvedFamily(const QString& postScriptName)
{
    return face(postScriptName).familyName;
}

QString FontResolver::familyOf(const QString& postScriptName)
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    const Known& known = knownOf(s, postScriptName);
    return known.named ? known.face.familyName : QString();
}

double FontResolver::safePointSize(double size)
{
    return std::isfinite(size) && size > 0.0 && size <= kMaximumPointSize ? size : defaultPointSize;
}

QFont FontResolver::resolve(const Font& font)
{
    // Glyphs made on this thread keep the weight of their outlines.
    StemDarkening::switchOffForThisThread();
    const QString name = font.isNull() ? defaultPostScriptName() : font.postScriptName();
    const double size = safePointSize(font.pointSize());
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    Known& known = knownOf(s, name);
    for (const auto& [madeAt, made] : std::as_const(known.fonts)) {
        if (madeAt == size)
            return made;
    }
    const FontFace& f = known.face;
    const std::pair<QString, double> key {f.postScriptName, size};
    auto made = s.fonts.find(key);
    if (made == s.fonts.end()) {
        QFont result(f.qtFamily);
        result.setWeight(QFont::Weight(std::clamp(f.weight, 1, 1000)));
        result.setStyle(f.italic ? QFont::StyleItalic : QFont::StyleNormal);
        result.setStretch(std::clamp(f.width, 1, 4000));
        result.setPointSizeF(size);
        // Outlines and advances as the font designs them, the same at every zoom.
        result.setHintingPreference(QFont::PreferNoHinting);
        result.setStyleStrategy(QFont::PreferOutline);
        made = s.fonts.insert(key, result);
    }
    known.fonts.append({size, *made});
    return *made;
}

QFontMetricsF FontResolver::metrics(const Font& font)
{
    return QFontMetricsF(resolve(font), layoutDevice());
}

QRawFont FontResolver::rawFont(const Font& font)
{
    const QFont qfont = resolve(font);
    QRawFont raw = QRawFont::fromFont(qfont);
    raw.setPixelSize(qfont.pointSizeF());
    return raw;
}

LineMetrics FontResolver::lineMetrics(const QFont& font)
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    const QString key = font.key();
    if (const auto hit = s.metrics.constFind(key); hit != s.metrics.constEnd())
        return *hit;
    const QFont device(font, layoutDevice());
    const QRawFont raw = QRawFont::fromFont(device);
    LineMetrics metrics;
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    const double unitsPerEm = double(quint16(tableShort(head, 18)));
    if (raw.isValid() && unitsPerEm > 0 && hhea.size() >= 10) {
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
        const double size = safePointSize(font.pointSizeF());
        metrics = LineMetrics {size * 0.8, size * 0.2, 0.0};
    }
    s.metrics.insert(key, metrics);
    return metrics;
}

QStringList FontResolver::families()
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    return s.catalogueOf().familyNames();
}

QList<FontFace> FontResolver::members(const QString& familyName)
{
    const QString family = familyOf(familyName);
    if (family.isEmpty())
        return {};
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    return s.catalogueOf().family(family);
}

QStringList FontResolver::memberPostScriptNames(const QString& familyName)
{
    QStringList names;
    for (const FontFace& f : members(familyName))
        names.append(f.postScriptName);
    return names;
}

QStringList FontResolver::memberStyleNames(const QString& familyName)
{
    QStringList names;
    for (const FontFace& f : members(familyName))
        names.append(f.styleName);
    return names;
}

qint64 FontResolver::indexInFamily(const QString& postScriptName)
{
    if (familyOf(postScriptName).isEmpty())
        return notFound;
    const FontFace f = face(postScriptName);
    const qsizetype index = memberPostScriptNames(f.familyName).indexOf(f.postScriptName);
    return index < 0 ? notFound : qint64(index);
}

int FontResolver::traits(const Font& font)
{
    const FontFace f = face(font.postScriptName());
    return (isBold(f) ? BoldTrait : 0) | (f.italic ? ItalicTrait : 0);
}

Font FontResolver::convertFont(const Font& font, int addTraits, int removeTraits)
{
    const FontFace from = face(font.postScriptName());
    const int wanted = (traits(font) | addTraits) & ~removeTraits;
    const bool bold = wanted & BoldTrait;
    const int weight = bold == isBold(from) ? from.weight : (bold ? 700 : 400);
    const std::optional<FontFace> to = closest(members(from.familyName), bold, wanted & ItalicTrait, from.width, weight);
    return to ? Font(to->postScriptName, font.pointSize()) : font;
}

Font FontResolver::fontWithFamily(const QString& familyName, int traits, double pointSize)
{
    const std::optional<FontFace> f =
        closest(members(familyName), traits & BoldTrait, traits & ItalicTrait, 100, (traits & BoldTrait) ? 700 : 400);
    return f ? Font(f->postScriptName, pointSize) : Font();
}

Font FontResolver::documentFont(const QFont& font)
{
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : double(font.pixelSize());
    QString family = font.family();
    if (const qsizetype bracket = family.indexOf(QLatin1String(" [")); bracket > 0)
        family.truncate(bracket);
    QList<FontFace> faces = members(family);
    if (faces.isEmpty())
        faces = members(defaultPostScriptName());
    const int weight = font.weight();
    const int width = font.stretch() > 0 ? font.stretch() : 100;
    std::optional<FontFace> f = closest(faces, weight >= 600, font.italic(), width, weight);
    if (!f)
        f = closest(faces, weight >= 600, !font.italic(), width, weight);
    return Font(f ? f->postScriptName : defaultPostScriptName(), safePointSize(size));
}

QPaintDevice* FontResolver::layoutDevice()
{
    static LayoutDevice device;
    return &device;
}

} // namespace ql
