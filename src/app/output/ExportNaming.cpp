#include "app/output/ExportNaming.h"

#include "design/ZVDesignHelper.h"

namespace ql {

QString exportExtension(int format)
{
    switch (format) {
    case 0:
        return QStringLiteral("pdf");
    case 1:
        return QStringLiteral("jpg");
    case 2:
        return QStringLiteral("png");
    case 3:
        return QStringLiteral("tif");
    default:
        return {};
    }
}

int exportResolution(int setting)
{
    switch (setting) {
    case 1:
        return 300;
    case 2:
        return 600;
    case 3:
        return 1200;
    default:
        return 72;
    }
}

QString exportBaseName(const QString& name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not an extension.
    if (dot <= slash + 1)
        return name;
    return name.left(dot);
}

QString exportFileName(const QString& baseName, const QString& extension, int number, int count)
{
    const QString name = count == 1 ? QStringLiteral("%1.%2").arg(baseName, extension)
                                    : QStringLiteral("%1_%2.%3").arg(baseName).arg(number).arg(extension);
    return ZVDesignHelper::sanitizeFileNameString(name);
}

} // namespace ql
