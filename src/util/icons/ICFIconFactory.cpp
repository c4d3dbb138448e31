#include "util/icons/ICFIconFactory.h"

#include "util/Resources.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QSet>

namespace ql {

namespace {

constexpr double kGlyphPixelSize = 256.0;

// Fonts are read once a path; an unreadable one warns once.
const QRawFont& fontAt(const QString& path)
{
    static QHash<QString, QRawFont> fonts;
    static QSet<QString> warned;
    auto found = fonts.find(path);
    if (found == fonts.end()) {
        QRawFont font;
        if (!path.isEmpty())
            font.loadFromFile(path, kGlyphPixelSize, QFont::PreferDefaultHinting);
        if (!font.isValid() && !warned.contains(path)) {
            warned.insert(path);
            qWarning("icon font \"%s\" cannot be read: icons are left empty",
                     qPrintable(path.isEmpty() ? QStringLiteral("IconFont.otf") : path));
        }
        found = fonts.insert(path, font);
    }
    return *found;
}

} // namespace

ICFIconFactory::ICFIconFactory() : m_fontPath(resourcePath(QStringLiteral("IconFont.otf"))) {}

ICFIconFactory ICFIconFactory::toolbarItemIconFactory()
{
    ICFIconFactory factory;
    factory.setSize(QSize(32, 32));
    factory.setPadding(3.0);
    return factory;
}

void ICFIconFactory::setFontPath(const QString& path)
{
    m_fontPath = path;
}

QImage ICFIconFactory::createImageForIcon(char32_t codePoint) const
{
    QImage image(m_size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRawFont& font = fontAt(m_fontPath);
    if (!font.isValid())
        return image;
    const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&codePoint, 1));
    if (glyphs.isEmpty() || glyphs.first() == 0)
        return image;
    QPainterPath glyph = font.pathForGlyph(glyphs.first());
    const QRectF bounds = glyph.boundingRect();
    if (bounds.isEmpty())
        return image;
    // Fitted into the image with its padding (and room for the outline), centred.
    const QRectF room = QRectF(QPointF(0, 0), QSizeF(m_size))
                            .adjusted(m_padding + m_strokeWidth / 2, m_padding + m_strokeWidth / 2,
                                      -m_padding - m_strokeWidth / 2, -m_padding - m_strokeWidth / 2);
    const double scale = std::min(room.width() / bounds.width(), room.height() / bounds.height());
    QTransform fit;
    fit.translate(room.center().x(), room.center().y());
    fit.scale(scale, scale);
    fit.translate(-bounds.center().x(), -bounds.center().y());
    glyph = fit.map(glyph);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF drawn = glyph.boundingRect();
    if (m_colors.size() >= 2) {
        QLinearGradient blend(drawn.topLeft(), drawn.bottomLeft());
        blend.setColorAt(0, m_colors.at(0));
        blend.setColorAt(1, m_colors.at(1));
        painter.fillPath(glyph, blend);
    } else {
        painter.fillPath(glyph, m_colors.value(0, Qt::black));
    }
    if (m_strokeWidth > 0)
        painter.strokePath(glyph, QPen(m_strokeColor, m_strokeWidth));
    return image;
}

} // namespace ql
