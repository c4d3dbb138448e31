// Release notes by version, as a release-notes list holds them: a text, or
// a list of texts joined by line feeds; anything else counts as no notes.
#pragma once

#include "platform/Error.h"
#include "platform/archive/PlistValue.h"

#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <optional>

namespace ql {

using VersionNotes = QMap<QString, std::optional<QString>>;

// Reads a list in either property-list encoding, held to small bounds;
// a root that is no dictionary is an error.
Result<VersionNotes> readReleaseNotes(QByteArrayView data);
VersionNotes releaseNotesFromPlist(const PlistValue& dictionary);

} // namespace ql
