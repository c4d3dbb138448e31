// One caption font at one size, with what captions need of it kept: the
// advances of the Latin-1 characters and their glyphs rasterized at quarter
// pixel offsets. Captions are short runs of digits and capitals, so measuring
// them from kept advances and drawing them from kept glyphs spares a text
// layout and a painter per caption; anything else is left to the layout.
#pragma once

#include "codes/barcodes/BCCaptionTypesetter.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QPaintDevice;
class QTextLayout;

namespace ql {

class BCCaptionFace {
public:
    // `font` must already be resolved for `device`, the 72-dpi measuring device.
    BCCaptionFace(const QFont& font, const QPaintDevice* device);

    const QFont& font() const { return m_font; }

    // The text layout of the first line alone: captions show nothing beyond it.
    static std::unique_ptr<QTextLayout> layOutFirstLine(const QString& text, const QFont& font,
                                                        const QPaintDevice* device, double widthLimit);

    // The first line as the text layout would measure it, or nothing when the
    // text needs the layout (characters beyond Latin-1, a font that kerns, a
    // line to break).
    std::optional<BCCaptionLine> measure(const QString& text, double widthLimit);
    // Draws the line measured by measure() in black, its baseline from `baseline`.
    void draw(QImage& image, const QString& text, QPointF baseline);
    // Lets the kept glyph rasters go; they are made again when drawn.
    void dropMasks();

private:
    struct Glyph {
        bool known = false;
        quint32 index = 0; // 0: the layout must set this character
        double advance = 0;
        double overhang = 0; // added to a line that ends with this glyph
    };
    // A row's covered pixels: runs wholly covered are filled, others blended.
    struct Run {
        int start = 0;
        int end = 0;
        bool whole = false;
    };
    struct Mask {
        QImage coverage; // Alpha8
        QPoint offset;   // of its top-left from the whole-pixel origin
        std::vector<Run> runs;
        std::vector<size_t> rowRuns; // the first run of each row, and the end
    };

    const Glyph& glyph(char16_t character);
    const Mask& mask(quint32 index, int quarterX, int quarterY);
    double layoutWidth(const QString& text) const;

    QFont m_font;
    QRawFont m_raw;
    const QPaintDevice* m_device;
    bool m_kerns = true;
    std::array<Glyph, 256> m_glyphs;
    QHash<quint64, Mask> m_masks;
    qsizetype m_maskBytes = 0;
};

} // namespace ql
