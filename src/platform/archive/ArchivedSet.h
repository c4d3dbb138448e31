// An archived set (the platform's unordered collection): the members in the
// order the archive lists them.
#pragma once

#include <QMetaType>
#include <QVariantList>

namespace ql {

struct ArchivedSet {
    QVariantList objects;
    bool operator==(const ArchivedSet&) const = default;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::ArchivedSet)
