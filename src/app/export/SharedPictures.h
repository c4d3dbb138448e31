// The pictures of a share as PNG files, named as an export names them
// ("Flyer_1.png", ...), in a new folder of the per-user cache folder. The
// folder stays: the desktop or a mail composer takes the files from there
// after the share has returned.
#pragma once

#include "app/export/SharingService.h"

#include <QStringList>

namespace ql {

// The files written, in the order of the pictures.
Result<QStringList> writeSharedPictures(const SharingItems& items);
// What a share that went wrong reports.
Error sharingError(const QString& message);

} // namespace ql
