// The gradient panel's list of gradients, kept as a keyed archive whose
// root is a list of gradients (docs/file-format.md).
#pragma once

#include "platform/Error.h"
#include "platform/graphics/Gradient.h"

#include <QList>

namespace ql {

class GradientList {
public:
    // The file in the per-user data folder.
    static QString defaultPath();

    // A missing file reads as no list (an empty result); a damaged one as an
    // error that names the problem.
    static Result<QList<Gradient>> read(const QString& path);
    // Replaces the file as a whole, or leaves it as it was.
    static Status write(const QString& path, const QList<Gradient>& gradients);
};

} // namespace ql
