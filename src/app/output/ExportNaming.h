// How exported files are named: the base name without its last extension,
// the format's extension, and a number after the base name when several
// pictures are written ("Flyer_1.png", "Flyer_2.png").
#pragma once

#include <QString>

namespace ql {

// "pdf", "jpg", "png", "tif" for formats 0 to 3; empty for any other.
QString exportExtension(int format);
// Dots per inch of the resolution setting: 1 → 300, 2 → 600, 3 → 1200, else 72.
int exportResolution(int setting);
// The name with its last extension removed ("my.flyer" → "my").
QString exportBaseName(const QString& name);
// The name of file `number` (from 1) of `count`: "base.ext" for a single
// file, else "base_number.ext"; characters no file name may hold removed.
QString exportFileName(const QString& baseName, const QString& extension, int number, int count);

} // namespace ql
