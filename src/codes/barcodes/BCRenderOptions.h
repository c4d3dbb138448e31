// Render options of the barcode library: a map whose keys are their own names;
// a missing key means the default.
#pragma once

#include <QString>
#include <QVariantMap>

namespace ql {

using BCRenderOptions = QVariantMap;

inline const QString BCCodeDrawingBarScale = QStringLiteral("BCCodeDrawingBarScale");
inline const QString BCCodeDrawingPrintCaption = QStringLiteral("BCCodeDrawingPrintCaption");
inline const QString BCCodeDrawingCaptionFontName = QStringLiteral("BCCodeDrawingCaptionFontName");
inline const QString BCCodeDrawingCaptionFontPointSize = QStringLiteral("BCCodeDrawingCaptionFontPointSize");
inline const QString BCCodeDrawingMarkerBarsOverlapCaptionPercent = QStringLiteral("BCCodeDrawingMarkerBarsOverlapCaptionPercent");
inline const QString BCCodeDrawingFillEmptyQuietZones = QStringLiteral("BCCodeDrawingFillEmptyQuietZones");
inline const QString BCCodeDrawingDebug = QStringLiteral("BCCodeDrawingDebug");
inline const QString BCCodeDrawingShowCheckDigits = QStringLiteral("BCCodeDrawingShowCheckDigits");
inline const QString BCCodeDrawingBackgroundColor = QStringLiteral("BCCodeDrawingBackgroundColor");
inline const QString BCCodeDrawingReduceBleed = QStringLiteral("BCCodeDrawingReduceBleed");

// Typed readers with the defaults; numbers are read as single-precision floats.
inline bool BCBoolOption(const BCRenderOptions& options, const QString& key, bool fallback)
{
    const auto it = options.constFind(key);
    return it == options.constEnd() ? fallback : it->toBool();
}

inline double BCFloatOption(const BCRenderOptions& options, const QString& key, float fallback)
{
    const auto it = options.constFind(key);
    return it == options.constEnd() ? double(fallback) : double(it->toFloat());
}

} // namespace ql
