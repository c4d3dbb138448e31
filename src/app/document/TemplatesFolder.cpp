#include "app/document/TemplatesFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace ql {

QString userTemplatesFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("Templates"));
}

} // namespace ql
