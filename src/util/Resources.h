// Files the program reads at run time by name, as a bundle's resources: the
// folders listed in QUIVERLEAF_RESOURCES (colon-separated) first, then the
// program's data folder next to the executable, then where the system's
// packages put them.
#pragma once

#include <QString>

namespace ql {

// The path of a named resource, or an empty string when it is nowhere.
QString resourcePath(const QString& name);
// The path of a named resource folder, looked for in the same places; an
// empty string when it is nowhere.
QString resourceFolder(const QString& name);

} // namespace ql
