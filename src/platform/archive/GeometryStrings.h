// The platform's string forms of geometry: "{x, y}", "{w, h}" and
// "{{x, y}, {w, h}}". Numbers are written in their shortest exact form.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>

namespace ql {

QString rectToString(const QRectF& rect);
QString pointToString(const QPointF& point);
QString sizeToString(const QSizeF& size);

// nullopt when the text is not of that form.
std::optional<QRectF> rectFromString(const QString& text);
std::optional<QPointF> pointFromString(const QString& text);
std::optional<QSizeF> sizeFromString(const QString& text);

// Shortest decimal text that reads back as exactly the same double.
QString shortestNumber(double value);

} // namespace ql
