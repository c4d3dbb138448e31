// Where the user's own templates live: "Templates" in the per-user data
// folder. Saving a template writes there; the template chooser lists it.
#pragma once

#include <QString>

namespace ql {

QString userTemplatesFolder();

} // namespace ql
