// Turns the PostScript font names that documents store ("Helvetica",
// "HelveticaNeue-Bold", "TimesNewRomanPS-ItalicMT") into installed faces.
// The name gives a family, a weight and a slant; the family is looked up as
// Qt's font database sees fontconfig, with metric-compatible stand-ins for
// the families documents name but Linux lacks, so that "Helvetica Neue" gets
// the Helvetica-compatible face and not whatever fontconfig falls back to.
//
// Text is measured at 72 dpi: the fonts returned here are meant for the
// 72-dpi layout device, on which a 12-point font is 12 units tall.
#pragma once

#include "platform/graphics/Font.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QRawFont>
#include <QString>
#include <QStringList>

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

class FontResolver {
public:
    // Reads family, weight, slant and width from a PostScript or family name.
    static FontDescription describe(const QString& postScriptName);

    // The installed family that stands for a document's family name (as Qt
    // names it, foundry included when fontconfig has one); the default face's
    // family when nothing fits.
    static QString resolvedFamily(const QString& postScriptName);

    // A font for the 72-dpi layout device at the font's size in points; the
    // default family and 12 points for a null font or a size that is not a
    // positive finite number.
    static QFont resolve(const Font& font);
    static QFont resolve(const QString& postScriptName, double pointSize) { return resolve(Font(postScriptName, pointSize)); }

    // Metrics and glyph outlines in points (1 unit = 1 point).
    static QFontMetricsF metrics(const Font& font);
    static QRawFont rawFont(const Font& font);

    // A paint device of exactly 72 dpi for QTextLayout and QFontMetricsF.
    static QPaintDevice* layoutDevice();

    // The family used when a name resolves to nothing installed.
    static QString defaultPostScriptName() { return QStringLiteral("Helvetica"); }
    static constexpr double defaultPointSize = 12.0;
};

} // namespace ql
