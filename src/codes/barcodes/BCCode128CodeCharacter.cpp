#include "codes/barcodes/BCCode128CodeCharacter.h"

#include "codes/barcodes/BCSymbologyTable.h"

namespace ql {

namespace {

// Bar and space widths of symbol values 0 to 105, then the stop.
constexpr const char16_t* Widths[] = {
    u"212222", u"222122", u"222221", u"121223", u"121322", u"131222", u"122213", u"122312", u"132212", u"221213",
    u"221312", u"231212", u"112232", u"122132", u"122231", u"113222", u"123122", u"123221", u"223211", u"221132",
    u"221231", u"213212", u"223112", u"312131", u"311222", u"321122", u"321221", u"312212", u"322112", u"322211",
    u"212123", u"212321", u"232121", u"111323", u"131123", u"131321", u"112313", u"132113", u"132311", u"211313",
    u"231113", u"231311", u"112133", u"112331", u"132131", u"113123", u"113321", u"133121", u"313121", u"211331",
    u"231131", u"213113", u"213311", u"213131", u"311123", u"311321", u"331121", u"312113", u"312311", u"332111",
    u"314111", u"221411", u"431111", u"111224", u"111422", u"121124", u"121421", u"141122", u"141221", u"112214",
    u"112412", u"122114", u"122411", u"142112", u"142211", u"241211", u"221114", u"413111", u"241112", u"134111",
    u"111242", u"121142", u"121241", u"114212", u"124112", u"124211", u"411212", u"421112", u"421211", u"212141",
    u"214121", u"412121", u"111143", u"111341", u"131141", u"114113", u"114311", u"411113", u"411311", u"113141",
    u"114131", u"311141", u"411131", u"211412", u"211214", u"211232", u"2331112",
};
constexpr quint64 StopIndex = 106;

// Characters never change once made: each symbol value is made once, as a
// content character and, for the three starts, as a marker.
struct Characters {
    BCCodeCharacterPtr content[StopIndex];
    BCCodeCharacterPtr starts[3];
};

const Characters& characters()
{
    static const Characters made = [] {
        Characters table;
        for (quint64 position = 0; position < StopIndex; ++position)
            table.content[position] = std::make_shared<BCCode128CodeCharacter>(BCBarsFromWidths(Widths[position]), position, false);
        for (quint64 start = 0; start < 3; ++start)
            table.starts[start] = std::make_shared<BCCode128CodeCharacter>(BCBarsFromWidths(Widths[103 + start]), 103 + start, true);
        return table;
    }();
    return made;
}

} // namespace

BCCode128CodeCharacter::BCCode128CodeCharacter(const BCBarString& bars, quint64 position, bool marker)
    : BCCodeCharacter(bars, marker)
    , m_position(position)
{
}

BCCodeCharacterPtr BCCode128CodeCharacter::startCodeForVersion(BCCode128Version version)
{
    if (version != BCCode128Version::A && version != BCCode128Version::B && version != BCCode128Version::C)
        return nullptr;
    return characters().starts[quint64(version)];
}

BCCodeCharacterPtr BCCode128CodeCharacter::stopCharacter()
{
    static const BCCodeCharacterPtr stop = std::make_shared<BCCode128CodeCharacter>(BCBarsFromWidths(Widths[StopIndex]), 0, true);
    return stop;
}

BCCodeCharacterPtr BCCode128CodeCharacter::switchCodeToVersion(BCCode128Version version)
{
    switch (version) {
    case BCCode128Version::C: return characterAtPosition(99);
    case BCCode128Version::B: return characterAtPosition(100);
    case BCCode128Version::A: return characterAtPosition(101);
    default: return nullptr;
    }
}

BCCodeCharacterPtr BCCode128CodeCharacter::characterAtPosition(quint64 position)
{
    if (position >= StopIndex)
        return nullptr;
    return characters().content[position];
}

int BCCode128CodeCharacter::valueOfCharacter(QStringView text, BCCode128Version version)
{
    if (version == BCCode128Version::C) {
        if (text.size() != 2 || !text[0].isDigit() || !text[1].isDigit() || text[0] > u'9' || text[1] > u'9')
            return -1;
        return (text[0].unicode() - u'0') * 10 + (text[1].unicode() - u'0');
    }
    if (text.size() != 1)
        return -1;
    const char16_t c = text[0].unicode();
    if (version == BCCode128Version::A) {
        if (c >= 0x20 && c <= 0x5F)
            return c - 0x20;
        if (c <= 0x1F)
            return c + 64;
        return -1;
    }
    if (version == BCCode128Version::B && c >= 0x20 && c <= 0x7F)
        return c - 0x20;
    return -1;
}

QString BCCode128CodeCharacter::codeMarkerForVersion(BCCode128Version version)
{
    switch (version) {
    case BCCode128Version::A: return QStringLiteral("A");
    case BCCode128Version::B: return QStringLiteral("B");
    case BCCode128Version::C: return QStringLiteral("C");
    default: return QStringLiteral("Unknown");
    }
}

BCCodeCharacterPtr BCCode128CodeCharacter::codeCharacterForCharacter(QStringView text, BCCode128Version version)
{
    const int value = valueOfCharacter(text, version);
    if (value < 0) {
        qWarning("Character '%s' not present in Code128%s", qPrintable(text.toString()), qPrintable(codeMarkerForVersion(version)));
        return nullptr;
    }
    return characterAtPosition(quint64(value));
}

} // namespace ql
