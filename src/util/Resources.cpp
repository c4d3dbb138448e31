#include "util/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ql {

namespace {

// Resources that come from the system's packages instead of our own files.
QStringList systemCandidates(const QString& name)
{
    if (name == QLatin1String("IconFont.otf"))
        return {QStringLiteral("/usr/share/fonts/opentype/font-awesome/FontAwesome.otf"),
                QStringLiteral("/usr/share/fonts-font-awesome/fonts/FontAwesome.otf")};
    return {};
}

} // namespace

QString resourcePath(const QString& name)
{
    QStringList candidates;
    const QString folder = qEnvironmentVariable("QUIVERLEAF_RESOURCES");
    if (!folder.isEmpty())
        candidates.append(QDir(folder).filePath(name));
    if (QCoreApplication::instance())
        candidates.append(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("resources/") + name));
    candidates.append(systemCandidates(name));
    for (const QString& candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

} // namespace ql
