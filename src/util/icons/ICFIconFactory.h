// Icon images drawn from the icon font ("IconFont.otf"): one glyph, found by
// its code point, fitted into the factory's size and filled with one colour
// or a top-to-bottom blend of two, with an optional outline. The toolbar
// preset sizes icons for toolbar buttons and tab bars.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRawFont>
#include <QSize>

namespace ql {

class ICFIconFactory {
public:
    ICFIconFactory();
    static ICFIconFactory toolbarItemIconFactory();

    QList<QColor> colors() const { return m_colors; }
    void setColors(const QList<QColor>& colors) { m_colors = colors; }
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor& color) { m_strokeColor = color; }
    double strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(double width) { m_strokeWidth = width; }
    QSize size() const { return m_size; }
    void setSize(QSize size) { m_size = size; }
    double padding() const { return m_padding; }
    void setPadding(double padding) { m_padding = padding; }
    // The font file; the named resource "IconFont.otf" unless set.
    QString fontPath() const { return m_fontPath; }
    void setFontPath(const QString& path);

    // The glyph drawn as set now. A font that cannot be read, or a code
    // point it lacks, gives a transparent image (and one warning per font).
    QImage createImageForIcon(char32_t codePoint) const;

private:
    QList<QColor> m_colors {Qt::black};
    QColor m_strokeColor = Qt::black;
    double m_strokeWidth = 0.0;
    QSize m_size {32, 32};
    double m_padding = 3.0;
    QString m_fontPath;
};

} // namespace ql
