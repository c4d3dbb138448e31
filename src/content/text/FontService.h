// The fonts of styled text. Documents name fonts by PostScript name
// ("Helvetica", "HelveticaNeue-Bold"); this turns such a name into an
// installed face, lists the faces of a family as the text inspector offers
// them, converts bold and italic, and measures at 72 dpi, where a 12-point
// font is 12 units tall. Every text layout and drawing asks this one service.
#pragma once

#include "platform/graphics/Font.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QPaintDevice>
#include <QString>
#include <QStringList>
#include <limits>
#include <memory>

namespace ql::text {

// One installed face as the inspector lists it.
struct FontFace {
    QString postScriptName; // "NimbusSans-Bold"
    QString familyName;     // "Nimbus Sans"
    QString styleName;      // "Bold"
    int weight = 400;       // CSS-style weight, 100 to 1000
    bool italic = false;
    int width = 100;        // per cent of the normal width
    // The family as Qt's font database names it, foundry included when the
    // face's file is not the one Qt would pick by the family alone.
    QString qtFamily;

    bool isNull() const { return postScriptName.isEmpty() && qtFamily.isEmpty(); }
    bool operator==(const FontFace&) const = default;
};

// Vertical metrics in points: ascent and descent positive, leading the
// font's own line gap.
struct LineMetrics {
    double ascent = 0.0;
    double descent = 0.0;
    double leading = 0.0;
    double height() const { return ascent + descent + leading; }
};

// The bold and italic bits of a face.
enum FontTrait { BoldTrait = 1, ItalicTrait = 2 };

class FontService {
public:
    // The index the platform answers for a name that is not in a list.
    static constexpr qint64 notFound = std::numeric_limits<qint64>::max();
    static constexpr double defaultPointSize = 12.0;

    static FontService& shared();

    // The installed face a document's name stands for: the face of exactly
    // that PostScript name, else its family and style words; the default
    // face when nothing fits.
    FontFace face(const QString& postScriptName) const;
    // A font for the 72-dpi layout device at a safe size.
    QFont qfont(const ql::Font& font) const;
    // Metrics of a font made by qfont().
    LineMetrics lineMetrics(const QFont& font) const;

    // The installed family a name belongs to ("Nimbus Sans" for
    // "Helvetica"); empty when the name names nothing.
    QString familyName(const QString& postScriptName) const;
    // The faces of a family, one per PostScript name, by weight, slant and
    // width; empty for an unknown family.
    QList<FontFace> members(const QString& familyName) const;
    QStringList memberPostScriptNames(const QString& familyName) const;
    QStringList memberStyleNames(const QString& familyName) const;
    // Where the face a name stands for sits among its family's members;
    // notFound when it is not there.
    qint64 indexInFamily(const QString& postScriptName) const;

    // Bold and italic of the face a font stands for.
    int traits(const ql::Font& font) const;
    // The same family with traits added and removed; the font itself when
    // the family has no such face.
    ql::Font convertFont(const ql::Font& font, int addTraits, int removeTraits) const;
    // The family's face with exactly these traits (weight otherwise
    // regular); null when the family has none.
    ql::Font fontWithFamily(const QString& familyName, int traits, double pointSize) const;

    // The name and size documents store for a font of Qt's (pasted text).
    ql::Font documentFont(const QFont& font) const;

    // A paint device of exactly 72 dpi for layouts and metrics.
    static QPaintDevice* layoutDevice();
    // Sizes that are not positive, finite and below 10,000 points become 12.
    static double safePointSize(double size);

    FontService();
    ~FontService();
    FontService(const FontService&) = delete;
    FontService& operator=(const FontService&) = delete;

private:
    struct Catalogue;
    const Catalogue& catalogue() const;

    mutable std::unique_ptr<Catalogue> m_catalogue;
    mutable QHash<QString, FontFace> m_faces;
    mutable QHash<QString, QFont> m_fonts;
    mutable QHash<QString, LineMetrics> m_metrics;
};

} // namespace ql::text
