#include "content/text/FontCatalogue.h"

#include <fontconfig/fontconfig.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <memory>

namespace ql::text {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

QString stringOf(FcPattern* pattern, const char* object)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(value));
}

int intOf(FcPattern* pattern, const char* object, int fallback)
{
    int value = 0;
    if (FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch)
        return value;
    double real = 0;
    if (FcPatternGetDouble(pattern, object, 0, &real) == FcResultMatch)
        return int(real);
    return fallback;
}

// Faces read from TrueType or OpenType files carry the tables layout and PDF
// output need; Type 1 copies of the same face are the second choice.
bool isSfnt(const QString& format)
{
    return format == QLatin1String("TrueType") || format == QLatin1String("CFF");
}

FontFace faceOf(FcPattern* pattern)
{
    FontFace face;
    face.familyName = stringOf(pattern, FC_FAMILY);
    face.styleName = stringOf(pattern, FC_STYLE);
    face.postScriptName = stringOf(pattern, FC_POSTSCRIPT_NAME);
    face.weight = int(FcWeightToOpenTypeDouble(intOf(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR)));
    face.italic = intOf(pattern, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
    face.width = intOf(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
    const QString foundry = stringOf(pattern, FC_FOUNDRY);
    // Qt names a family's faces of one foundry "Family [foundry]"; naming
    // the foundry picks this face's own file among copies of other formats.
    face.qtFamily = foundry.isEmpty() ? face.familyName : QStringLiteral("%1 [%2]").arg(face.familyName, foundry);
    return face;
}

QString familyKey(const QString& family)
{
    QString key = family.toLower();
    key.remove(QLatin1Char(' '));
    return key;
}

// Splits "BoldOblique" into "Bold", "Oblique"; "SemiBold" stays one word.
QStringList camelWords(const QString& text)
{
    QStringList words;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool boundary = c.isUpper() && !current.isEmpty() && current.back().isLower();
        if (boundary || c == QLatin1Char(' ') || c == QLatin1Char('_')) {
            if (!current.isEmpty())
                words.append(current);
            current.clear();
        }
        if (c != QLatin1Char(' ') && c != QLatin1Char('_'))
            current.append(c);
    }
    if (!current.isEmpty())
        words.append(current);
    static const QStringList prefixes {QStringLiteral("semi"), QStringLiteral("demi"), QStringLiteral("extra"),
                                       QStringLiteral("ultra")};
    QStringList joined;
    for (const QString& word : words) {
        if (!joined.isEmpty() && prefixes.contains(joined.back().toLower()))
            joined.back() += word;
        else
            joined.append(word);
    }
    return joined;
}

// Reads a style word into the request; false when it is no style word.
bool readStyleWord(const QString& word, FontRequest& request)
{
    static const QHash<QString, int> weights {
        {QStringLiteral("thin"), 100},       {QStringLiteral("hairline"), 100},  {QStringLiteral("extralight"), 200},
        {QStringLiteral("ultralight"), 200}, {QStringLiteral("light"), 300},     {QStringLiteral("book"), 400},
        {QStringLiteral("regular"), 400},    {QStringLiteral("roman"), 400},     {QStringLiteral("normal"), 400},
        {QStringLiteral("plain"), 400},      {QStringLiteral("medium"), 500},    {QStringLiteral("semibold"), 600},
        {QStringLiteral("demibold"), 600},   {QStringLiteral("demi"), 600},      {QStringLiteral("bold"), 700},
        {QStringLiteral("extrabold"), 800},  {QStringLiteral("ultrabold"), 800}, {QStringLiteral("heavy"), 800},
        {QStringLiteral("black"), 900},
    };
    static const QHash<QString, int> widths {
        {QStringLiteral("ultracondensed"), 50}, {QStringLiteral("extracondensed"), 63},
        {QStringLiteral("condensed"), 75},      {QStringLiteral("cond"), 75},
        {QStringLiteral("narrow"), 75},         {QStringLiteral("semicondensed"), 87},
        {QStringLiteral("semiexpanded"), 113},  {QStringLiteral("expanded"), 125},
        {QStringLiteral("extraexpanded"), 150}, {QStringLiteral("wide"), 125},
    };
    const QString key = word.toLower();
    if (auto w = weights.constFind(key); w != weights.cend()) {
        request.weight = *w;
        return true;
    }
    if (auto w = widths.constFind(key); w != widths.cend()) {
        request.width = *w;
        return true;
    }
    if (key == QLatin1String("italic") || key == QLatin1String("oblique") || key == QLatin1String("it")
        || key == QLatin1String("inclined") || key == QLatin1String("slanted")) {
        request.italic = true;
        return true;
    }
    return false;
}

// Families documents name that Linux lacks and fontconfig has no alias for.
QString substitutedFamily(const QString& family)
{
    static const QHash<QString, QString> table {
        {QStringLiteral("helveticaneue"), QStringLiteral("Helvetica")},
        {QStringLiteral("helveticaneuelt"), QStringLiteral("Helvetica")},
    };
    return table.value(familyKey(family), family);
}

int slantOf(bool italic)
{
    return italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN;
}

// The first family fontconfig adds for a generic name: a request whose
// substitution reaches one of these before its match fell back.
QStringList fallbackMarkers()
{
    QStringList markers;
    for (const char* generic : {"sans-serif", "serif", "monospace"}) {
        Pattern pattern(FcPatternCreate());
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
        FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
        const QString first = [&] {
            FcChar8* value = nullptr;
            return FcPatternGetString(pattern.get(), FC_FAMILY, 1, &value) == FcResultMatch && value
                       ? QString::fromUtf8(reinterpret_cast<const char*>(value))
                       : QString();
        }();
        if (!first.isEmpty())
            markers.append(first);
    }
    return markers;
}

bool lessByStyle(const FontFace& a, const FontFace& b)
{
    if (a.weight != b.weight)
        return a.weight < b.weight;
    if (a.italic != b.italic)
        return !a.italic;
    if (a.width != b.width)
        return a.width < b.width;
    return a.postScriptName < b.postScriptName;
}

} // namespace

FontCatalogue::FontCatalogue()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    m_loaded = true;
    FcInit();
    Pattern all(FcPatternCreate());
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(
        FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_POSTSCRIPT_NAME, FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_FOUNDRY,
                         FC_FONTFORMAT, FC_SCALABLE, nullptr));
    std::unique_ptr<FcFontSet, FontSetDeleter> set(FcFontList(nullptr, all.get(), objects.get()));
    for (int i = 0; set && i < set->nfont; ++i) {
        FcPattern* pattern = set->fonts[i];
        FcBool scalable = FcTrue;
        if (FcPatternGetBool(pattern, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable)
            continue;
        FontFace face = faceOf(pattern);
        if (face.postScriptName.isEmpty() || face.familyName.isEmpty())
            continue;
        add(face, isSfnt(stringOf(pattern, FC_FONTFORMAT)));
    }
    m_families.clear();
    for (const FontFace& face : std::as_const(m_byName))
        m_families[familyKey(face.familyName)].append(face);
    for (QList<FontFace>& faces : m_families)
        std::sort(faces.begin(), faces.end(), lessByStyle);
    m_fallbackMarkers = fallbackMarkers();
}

void FontCatalogue::add(FontFace face, bool preferred)
{
    // One entry per PostScript name, from the best file.
    auto existing = m_byName.find(face.postScriptName);
    if (existing != m_byName.end() && (m_preferredFile.value(face.postScriptName) || !preferred))
        return;
    m_preferredFile.insert(face.postScriptName, preferred);
    m_byName.insert(face.postScriptName, face);
}

FontRequest FontCatalogue::parse(const QString& postScriptName)
{
    FontRequest request;
    const QString name = postScriptName.trimmed();
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    QString familyPart = dash < 0 ? name : name.left(dash);
    const QString stylePart = dash < 0 ? QString() : name.mid(dash + 1);
    // Vendor suffixes of PostScript names ("ArialMT", "TimesNewRomanPSMT").
    static const QRegularExpression vendor(QStringLiteral("(PSMT|MT|PS)$"));
    if (!familyPart.contains(QLatin1Char(' ')) && familyPart.size() > 4)
        familyPart.remove(vendor);

    QStringList familyWords = camelWords(familyPart);
    request.fullFamily = substitutedFamily(familyWords.join(QLatin1Char(' ')));
    // Trailing style words of a family name ("Helvetica Bold") are style;
    // words that also end family names ("Times New Roman") stay.
    static const QStringList familyEndings {QStringLiteral("roman"), QStringLiteral("book"), QStringLiteral("normal"),
                                            QStringLiteral("plain"), QStringLiteral("regular")};
    while (familyWords.size() > 1 && !familyEndings.contains(familyWords.back().toLower())
           && readStyleWord(familyWords.back(), request))
        familyWords.removeLast();
    for (const QString& word : camelWords(stylePart))
        readStyleWord(word, request);
    request.family = substitutedFamily(familyWords.join(QLatin1Char(' ')));
    return request;
}

std::optional<FontFace> FontCatalogue::byPostScriptName(const QString& name) const
{
    if (auto it = m_byName.constFind(name); it != m_byName.cend())
        return *it;
    return std::nullopt;
}

QList<FontFace> FontCatalogue::family(const QString& familyName) const
{
    return m_families.value(familyKey(familyName));
}

std::optional<FontFace> FontCatalogue::match(const FontRequest& request) const
{
    if (!m_loaded || request.family.isEmpty())
        return std::nullopt;
    Pattern pattern(FcPatternCreate());
    const QByteArray family = request.family.toUtf8();
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddDouble(pattern.get(), FC_WEIGHT, FcWeightFromOpenTypeDouble(request.weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, slantOf(request.italic));
    FcPatternAddInteger(pattern.get(), FC_WIDTH, request.width);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    QStringList chain;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern.get(), FC_FAMILY, i, &value) == FcResultMatch; ++i)
        chain.append(QString::fromUtf8(reinterpret_cast<const char*>(value)));

    FcResult result = FcResultNoMatch;
    Pattern matched(FcFontMatch(nullptr, pattern.get(), &result));
    if (!matched)
        return std::nullopt;
    const QString matchedFamily = stringOf(matched.get(), FC_FAMILY);
    const qsizetype at = chain.indexOf(matchedFamily);
    qsizetype fallbackAt = chain.size();
    for (const QString& marker : m_fallbackMarkers) {
        const qsizetype i = chain.indexOf(marker);
        if (i > 0)
            fallbackAt = std::min(fallbackAt, i);
    }
    if (at < 0 || at >= fallbackAt)
        return std::nullopt;
    return byPostScriptName(stringOf(matched.get(), FC_POSTSCRIPT_NAME));
}

FontFace FontCatalogue::defaultFace() const
{
    FontRequest request;
    request.family = QStringLiteral("Helvetica");
    if (std::optional<FontFace> face = match(request))
        return *face;
    if (!m_loaded)
        return FontFace {QString(), QStringLiteral("Sans Serif"), QStringLiteral("Regular"), 400, false, 100,
                         QStringLiteral("Sans Serif")};
    Pattern pattern(FcPatternCreate());
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern matched(FcFontMatch(nullptr, pattern.get(), &result));
    if (matched) {
        if (std::optional<FontFace> face = byPostScriptName(stringOf(matched.get(), FC_POSTSCRIPT_NAME)))
            return *face;
    }
    FontFace face;
    face.familyName = face.qtFamily = QStringLiteral("Sans Serif");
    face.styleName = QStringLiteral("Regular");
    return face;
}

} // namespace ql::text
