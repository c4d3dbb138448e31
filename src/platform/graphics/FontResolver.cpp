#include "platform/graphics/FontResolver.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QMutex>
#include <cmath>

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
// match them. Anything not listed goes through fontconfig's own aliases.
const QHash<QString, QString>& standIns()
{
    static const QHash<QString, QString> table {
        {QStringLiteral("helvetica neue"), QStringLiteral("Helvetica")},
        {QStringLiteral("helveticaneue"), QStringLiteral("Helvetica")},
        {QStringLiteral("lucida grande"), QStringLiteral("Helvetica")},
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
    };
    return table;
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
            if (lower.mid(at).startsWith(QLatin1String(word.word))) {
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

// The family Qt picks for a name it has no face of: fontconfig's last resort.
const QString& lastResortFamily()
{
    static const QString family = QFontInfo(QFont(QStringLiteral("Quiverleaf No Such Family"))).family();
    return family;
}

// An installed family, or the one fontconfig aliases the name to; empty
// when fontconfig would only fall back.
QString installedFamily(const QString& family)
{
    if (family.isEmpty())
        return {};
    if (QFontDatabase::hasFamily(family))
        return family;
    const QString aliased = QFontInfo(QFont(family)).family();
    return aliased == lastResortFamily() ? QString() : aliased;
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

bool usableSize(double size)
{
    return std::isfinite(size) && size > 0.0 && size < 100000.0;
}

} // namespace

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

QString FontResolver::resolvedFamily(const QString& postScriptName)
{
    static QMutex mutex;
    static QHash<QString, QString> cache;
    const QMutexLocker lock(&mutex);
    if (const auto hit = cache.constFind(postScriptName); hit != cache.constEnd())
        return *hit;

    QString resolved;
    const FontDescription description = describe(postScriptName);
    for (const QString& family : description.families) {
        resolved = installedFamily(family);
        if (resolved.isEmpty())
            resolved = installedFamily(standIns().value(family.toLower()));
        if (!resolved.isEmpty())
            break;
    }
    if (resolved.isEmpty())
        resolved = installedFamily(defaultPostScriptName());
    if (resolved.isEmpty())
        resolved = lastResortFamily();
    cache.insert(postScriptName, resolved);
    return resolved;
}

QFont FontResolver::resolve(const Font& font)
{
    const QString name = font.isNull() ? defaultPostScriptName() : font.postScriptName();
    const FontDescription description = describe(name);
    QFont result(resolvedFamily(name));
    result.setWeight(description.weight);
    result.setItalic(description.italic);
    if (description.stretch != QFont::Unstretched)
        result.setStretch(description.stretch);
    result.setPointSizeF(usableSize(font.pointSize()) ? font.pointSize() : defaultPointSize);
    // Outlines and advances as the font designs them, the same at every zoom.
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setStyleStrategy(QFont::PreferOutline);
    return result;
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

QPaintDevice* FontResolver::layoutDevice()
{
    static LayoutDevice device;
    return &device;
}

} // namespace ql
