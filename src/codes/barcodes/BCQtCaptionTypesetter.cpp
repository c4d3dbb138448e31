#include "codes/barcodes/BCQtCaptionTypesetter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextLayout>

namespace ql {

namespace {

constexpr int DotsPerMeterAt72Dpi = 2835; // Qt rounds this to 72 logical dpi
// Enough for every size a few codes in view are fitted to; sizes typed in
// by hand could otherwise grow the cache without end.
constexpr qsizetype KeptFonts = 64;
// Codes in view are drawn at a few sizes; faces drawn before them let their glyph rasters go.
constexpr size_t FacesKeepingGlyphs = 4;

} // namespace

const BCCaptionTypesetter& BCCaptionTypesetter::standard()
{
    static const BCQtCaptionTypesetter typesetter;
    return typesetter;
}

BCQtCaptionTypesetter::BCQtCaptionTypesetter()
    : m_device(1, 1, QImage::Format_ARGB32_Premultiplied)
{
    m_device.setDotsPerMeterX(DotsPerMeterAt72Dpi);
    m_device.setDotsPerMeterY(DotsPerMeterAt72Dpi);
}

QString BCQtCaptionTypesetter::resolvedFamily(const QString& fontName) const
{
    std::lock_guard lock(m_mutex);
    return resolvedFamilyLocked(fontName);
}

QString BCQtCaptionTypesetter::resolvedFamilyLocked(const QString& fontName) const
{
    auto it = m_families.constFind(fontName);
    if (it == m_families.constEnd())
        it = m_families.insert(fontName, QFontDatabase::hasFamily(fontName) ? fontName : QStringLiteral("Helvetica"));
    return *it;
}

BCCaptionFace& BCQtCaptionTypesetter::faceFor(const QString& fontName, double fontSize) const
{
    const double size = fontSize > 0 ? fontSize : 1.0;
    if (m_lastFace && m_lastKey.second == size && m_lastKey.first == fontName)
        return *m_lastFace;
    std::pair<QString, double> key(fontName, size);
    if (const auto it = m_faces.constFind(key); it != m_faces.constEnd()) {
        m_lastKey = std::move(key);
        m_lastFace = it->get();
        return *m_lastFace;
    }
    QFont font(resolvedFamilyLocked(fontName));
    font.setPointSizeF(size);
    // Unhinted outlines keep widths proportional to the size, which the
    // caption fitting relies on.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::ForceOutline);
    // Resolved for the device once, so layouts reuse its engine.
    font = QFont(font, &m_device);
    if (m_faces.size() >= KeptFonts) {
        m_faces.clear();
        m_drawnFaces.clear();
    }
    m_lastFace = m_faces.insert(key, std::make_shared<BCCaptionFace>(font, &m_device))->get();
    m_lastKey = std::move(key);
    return *m_lastFace;
}

BCCaptionLine BCQtCaptionTypesetter::firstLine(const QString& text, const QString& fontName, double fontSize,
                                               double widthLimit) const
{
    if (text.isEmpty())
        return {};
    std::lock_guard lock(m_mutex);
    BCCaptionFace& face = faceFor(fontName, fontSize);
    if (const auto measured = face.measure(text, widthLimit))
        return *measured;
    const auto layout = BCCaptionFace::layOutFirstLine(text, face.font(), &m_device, widthLimit);
    const QTextLine line = layout->lineAt(0);
    if (!line.isValid())
        return {};
    return {line.textLength(), line.naturalTextWidth(), line.ascent(), line.descent()};
}

void BCQtCaptionTypesetter::drawFirstLine(QPainter& painter, const QString& text, const QString& fontName,
                                          double fontSize, double widthLimit, QPointF baseline) const
{
    if (text.isEmpty())
        return;
    std::unique_ptr<QTextLayout> layout;
    {
        std::lock_guard lock(m_mutex);
        layout = BCCaptionFace::layOutFirstLine(text, faceFor(fontName, fontSize).font(), &m_device, widthLimit);
    }
    const QTextLine line = layout->lineAt(0);
    if (!line.isValid())
        return;
    painter.save();
    painter.setPen(Qt::black);
    // Alignment is ours to do, so the line is drawn from its own start.
    line.draw(&painter, QPointF(baseline.x() - line.x(), baseline.y() - line.ascent()));
    painter.restore();
}

bool BCQtCaptionTypesetter::drawFirstLineInImage(QImage& image, const QString& text, const QString& fontName,
                                                 double fontSize, double widthLimit, QPointF baseline) const
{
    if (text.isEmpty())
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    std::lock_guard lock(m_mutex);
    BCCaptionFace& face = faceFor(fontName, fontSize);
    if (!face.measure(text, widthLimit))
        return false;
    if (m_drawnFaces.empty() || m_drawnFaces.back() != &face) {
        std::erase(m_drawnFaces, &face);
        m_drawnFaces.push_back(&face);
        if (m_drawnFaces.size() > FacesKeepingGlyphs) {
            m_drawnFaces.front()->dropMasks();
            m_drawnFaces.erase(m_drawnFaces.begin());
        }
    }
    face.draw(image, text, baseline);
    return true;
}

} // namespace ql
