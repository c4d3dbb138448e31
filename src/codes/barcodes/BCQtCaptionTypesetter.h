// Caption lines set with Qt's text layout at 72 dpi, so a 12-point caption is
// 12 units tall. A font name that is not installed falls back to Helvetica.
#pragma once

#include "codes/barcodes/BCCaptionFace.h"
#include "codes/barcodes/BCCaptionTypesetter.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <memory>
#include <mutex>
#include <vector>

namespace ql {

class BCQtCaptionTypesetter final : public BCCaptionTypesetter {
public:
    BCQtCaptionTypesetter();

    BCCaptionLine firstLine(const QString& text, const QString& fontName, double fontSize,
                            double widthLimit) const override;
    void drawFirstLine(QPainter& painter, const QString& text, const QString& fontName, double fontSize,
                       double widthLimit, QPointF baseline) const override;
    bool drawFirstLineInImage(QImage& image, const QString& text, const QString& fontName, double fontSize,
                              double widthLimit, QPointF baseline) const override;

    // The family actually used for a font name.
    QString resolvedFamily(const QString& fontName) const;

private:
    // Fitting a caption asks for the same few sizes again and again; a face
    // made once per name and size keeps its resolved engine and metrics.
    // Call with the mutex held.
    BCCaptionFace& faceFor(const QString& fontName, double fontSize) const;
    QString resolvedFamilyLocked(const QString& fontName) const;

    QImage m_device; // a 72-dpi device for measuring
    mutable std::mutex m_mutex;
    mutable QHash<QString, QString> m_families;
    mutable QHash<std::pair<QString, double>, std::shared_ptr<BCCaptionFace>> m_faces;
    // Captions ask for one face many times in a row: the last is kept at hand.
    mutable std::pair<QString, double> m_lastKey;
    mutable BCCaptionFace* m_lastFace = nullptr;
    // The faces drawn last, newest at the back: only these keep glyph rasters.
    mutable std::vector<BCCaptionFace*> m_drawnFaces;
};

} // namespace ql
