// A picture file as PIL decodes it, independently of the program that wrote it.
#pragma once

#include <QImage>
#include <QString>

namespace ql::testing {

// The picture in RGB; null when PIL cannot read it.
QImage decodedRGB(const QString& path);
// The same with its alpha (Format_RGBA8888, not premultiplied).
QImage decodedRGBA(const QString& path);

} // namespace ql::testing
