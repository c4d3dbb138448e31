#include "platform/graphics/FontCatalogue.h"

#include <fontconfig/fontconfig.h>

#include <QGuiApplication>
#include <algorithm>
#include <memory>

namespace ql {

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
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        m_defaultFace = findDefaultFace();
        return;
    }
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
    m_defaultFace = findDefaultFace();
}

QString FontCatalogue::familyKey(QStringView family)
{
    // Names are nearly always ASCII, and every unknown one a text names is
    // keyed: lowered here without the general case's tables.
    QString key;
    key.reserve(family.size());
    for (const QChar c : family) {
        if (c.unicode() >= 0x80)
            return family.toString().toLower().remove(QLatin1Char(' '));
        if (c != QLatin1Char(' '))
            key.append(c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c);
    }
    return key;
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

QStringList FontCatalogue::familyNames() const
{
    QStringList names;
    for (const QList<FontFace>& faces : m_families) {
        if (!faces.isEmpty())
            names.append(faces.first().familyName);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

std::optional<FontFace> FontCatalogue::match(const FontRequest& request) const
{
    if (!m_loaded || request.family.isEmpty())
        return std::nullopt;
    Pattern pattern(FcPatternCreate());
    // One substitution for every spelling: each costs as much as a match.
    for (const QString& spelling : QStringList {request.family} + request.otherSpellings) {
        const QByteArray family = spelling.toUtf8();
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    }
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
    qsizetype fallbackAt = chain.size();
    for (const QString& marker : m_fallbackMarkers) {
        const qsizetype i = chain.indexOf(marker);
        if (i > 0)
            fallbackAt = std::min(fallbackAt, i);
    }
    // Matching looks at every installed face, and a text can name thousands
    // of unknown families: when no family before the fall-back is installed,
    // the match could only be the fall-back.
    const auto installed = [this](const QString& name) { return m_families.contains(familyKey(name)); };
    if (std::none_of(chain.cbegin(), chain.cbegin() + fallbackAt, installed))
        return std::nullopt;

    FcResult result = FcResultNoMatch;
    Pattern matched(FcFontMatch(nullptr, pattern.get(), &result));
    if (!matched)
        return std::nullopt;
    const QString matchedFamily = stringOf(matched.get(), FC_FAMILY);
    const qsizetype at = chain.indexOf(matchedFamily);
    if (at < 0 || at >= fallbackAt)
        return std::nullopt;
    return byPostScriptName(stringOf(matched.get(), FC_POSTSCRIPT_NAME));
}

FontFace FontCatalogue::findDefaultFace() const
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

} // namespace ql
