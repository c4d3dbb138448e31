// Where a file panel starts: where the last one of its kind ended when that
// folder is still there, else beside the document, else (a document never
// saved) in the user's folder for such files, or home. Never the folder the
// program happened to be started from.
#pragma once

#include <QStandardPaths>
#include <QString>

namespace ql {

class Document;

QString filePanelFolder(const Document& document, QStandardPaths::StandardLocation unsaved,
                        const QString& remembered = {});

// The user's folder of that kind when it is there, else home: where a panel
// starts that has nothing better to go by.
QString userFolder(QStandardPaths::StandardLocation kind);

} // namespace ql
