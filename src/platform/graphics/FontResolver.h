// Turns the PostScript font names that documents store ("Helvetica",
// "HelveticaNeue-Bold", "TimesNewRomanPS-ItalicMT") into installed faces, and
// answers what text layout and the text inspector ask of fonts. A name that
// fontconfig knows exactly is that face; otherwise it gives a family, a
// weight, a slant and a width, and the family is looked up among the
// installed ones, through metric-compatible stand-ins for the families
// documents name but Linux lacks, then through fontconfig's aliases; so
// "Helvetica Neue" gets the Helvetica-compatible face and not whatever
// fontconfig falls back to. The faces of a family are listed once per
// PostScript name, taken from their OpenType files where a face is also
// installed in an older format.
//
// Text is measured at 72 dpi: the fonts returned here are meant for the
// 72-dpi layout device, on which a 12-point font is 12 units tall.
#pragma once

#include "platform/graphics/Font.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QPaintDevice>
#include <QRawFont>
#include <QString>
#include <QStringList>
#include <limits>

namespace ql {

// What a PostScript name says about its face.
struct FontDescription {
    // Candidate family names, most specific first ("Helvetica Neue",
    // "HelveticaNeue"); never empty for a non-empty name.
    QStringList families;
    QFont::Weight weight = QFont::Normal;
    bool italic = false;
    QFont::Stretch stretch = QFont::Unstretched;

    bool operator==(const FontDescription&) const = default;
};

// One installed face, as the text inspector lists it.
struct FontFace {
    QString postScriptName; // "NimbusSans-Bold"
    QString familyName;     // "Nimbus Sans"
    QString styleName;      // "Bold"
    int weight = 400;       // 100 to 1000, as QFont::Weight counts
    bool italic = false;
    int width = 100;        // per cent of the normal width, as QFont::Stretch
    // The family as Qt's font database names it, foundry included, which
    // picks this face's own file among copies in other formats.
    QString qtFamily;

    bool operator==(const FontFace&) const = default;
};

// Vertical metrics in points: ascent and descent positive, leading the
// face's own line gap.
struct LineMetrics {
    double ascent = 0.0;
    double descent = 0.0;
    double leading = 0.0;
    double height() const { return ascent + descent + leading; }
};

// The bold and italic bits of a face.
enum FontTrait { BoldTrait = 1, ItalicTrait = 2 };

class FontResolver {
public:
    // The index the platform answers for a name that is not in a list.
    static constexpr qint64 notFound = std::numeric_limits<qint64>::max();

    // Reads family, weight, slant and width from a PostScript or family name.
    static FontDescription describe(const QString& postScriptName);

    // The installed face a name stands for; the default family's face in
    // the asked style when nothing fits.
    static FontFace face(const QString& postScriptName);
    // The family of that face ("Nimbus Sans" for "Helvetica").
    static QString resolvedFamily(const QString& postScriptName);
    // The installed family a name belongs to; empty when it names nothing
    // installed (an unknown family keeps a text's font).
    static QString familyOf(const QString& postScriptName);

    // A font for the 72-dpi layout device at the font's size in points; the
    // default family and 12 points for a null font or a size that is not a
    // positive finite number below 10,000.
    static QFont resolve(const Font& font);
    static QFont resolve(const QString& postScriptName, double pointSize) { return resolve(Font(postScriptName, pointSize)); }
    // Grows whenever a name resolves otherwise than it did before (an alias
    // found once look-ups are to spare): what was made from older answers
    // is made again.
    static quint64 answersRevision();
    static double safePointSize(double size);

    // Metrics and glyph outlines in points (1 unit = 1 point).
    static QFontMetricsF metrics(const Font& font);
    static QRawFont rawFont(const Font& font);
    // Line spacing of a font made by resolve(): the face's horizontal header
    // (ascender, descender, line gap), as the platform's text system spaces
    // lines; Qt's own metrics for faces without one.
    static LineMetrics lineMetrics(const QFont& font);

    // The installed families, as the text inspector offers them.
    static QStringList families();
    // The faces of a family (or of the family a name stands for), one per
    // PostScript name, by weight, slant and width; empty for an unknown family.
    static QList<FontFace> members(const QString& familyName);
    static QStringList memberPostScriptNames(const QString& familyName);
    static QStringList memberStyleNames(const QString& familyName);
    // Where the face a name stands for sits among its family's members.
    static qint64 indexInFamily(const QString& postScriptName);

    // Bold and italic of the face a font stands for.
    static int traits(const Font& font);
    // The same family with traits added and removed; the font itself when
    // the family has no such face.
    static Font convertFont(const Font& font, int addTraits, int removeTraits);
    // The family's face with exactly these traits; null when it has none.
    static Font fontWithFamily(const QString& familyName, int traits, double pointSize);
    // The name and size documents store for a Qt font (text pasted from
    // other programs).
    static Font documentFont(const QFont& font);

    // A paint device of exactly 72 dpi for QTextLayout and QFontMetricsF.
    static QPaintDevice* layoutDevice();

    // While one lives, at most `lookups` names that no installed family
    // answers are matched against fontconfig's aliases on its thread, each
    // costing a substitution; later ones resolve as names of nothing
    // installed (a text that names thousands of unknown fonts is read in
    // bounded time). Every source of text (a document or design read, rich
    // text or HTML dropped or pasted, elements pasted) reads under one.
    // Those answers hold for layout, output and the inspectors, which ask
    // under none, until a budget with look-ups to spare asks again.
    class AliasBudget {
    public:
        static constexpr int kLookupsPerSource = 500;

        explicit AliasBudget(int lookups = kLookupsPerSource);
        ~AliasBudget();
        AliasBudget(const AliasBudget&) = delete;
        AliasBudget& operator=(const AliasBudget&) = delete;

    private:
        int m_outer;
        int m_granted;
    };

    // The family used when a name resolves to nothing installed.
    static QString defaultPostScriptName() { return QStringLiteral("Helvetica"); }
    static constexpr double defaultPointSize = 12.0;
    // What a new text box types in.
    static Font defaultFont() { return Font(defaultPostScriptName(), defaultPointSize); }
};

} // namespace ql
