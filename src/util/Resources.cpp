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

QStringList ownCandidates(const QString& name)
{
    QStringList candidates;
    const QString folder = qEnvironmentVariable("QUIVERLEAF_RESOURCES");
    if (!folder.isEmpty())
        candidates.append(QDir(folder).filePath(name));
    if (QCoreApplication::instance())
        candidates.append(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("resources/") + name));
    return candidates;
}

} // namespace

QString resourcePath(const QString& name)
{
    const QStringList candidates = ownCandidates(name) + systemCandidates(name);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

QString resourceFolder(const QString& name)
{
    for (const QString& candidate : ownCandidates(name)) {
        if (QFileInfo(candidate).isDir())
            return candidate;
    }
    return {};
}

} // namespace ql
