#include "util/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <fontconfig/fontconfig.h>

namespace ql {

namespace {

// The icon font is whichever installed font draws the icons the toolbar and
// browsers ask for: found by what it covers, not by its name.
QString installedIconFont()
{
    static const QString found = [] {
        QString path;
        FcCharSet* icons = FcCharSetCreate();
        for (FcChar32 code : {0xF002u, 0xF005u, 0xF029u, 0xF03Eu, 0xF067u, 0xF0C6u})
            FcCharSetAddChar(icons, code);
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddCharSet(pattern, FC_CHARSET, icons);
        FcObjectSet* wanted = FcObjectSetBuild(FC_FILE, nullptr);
        if (FcFontSet* fonts = FcFontList(nullptr, pattern, wanted)) {
            for (int i = 0; i < fonts->nfont && path.isEmpty(); ++i) {
                FcChar8* file = nullptr;
                if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
                    path = QString::fromUtf8(reinterpret_cast<const char*>(file));
            }
            FcFontSetDestroy(fonts);
        }
        FcObjectSetDestroy(wanted);
        FcPatternDestroy(pattern);
        FcCharSetDestroy(icons);
        return path;
    }();
    return found;
}

// Resources that come from the system's packages instead of our own files.
QStringList systemCandidates(const QString& name)
{
    if (name == QLatin1String("IconFont.otf")) {
        const QString font = installedIconFont();
        return font.isEmpty() ? QStringList() : QStringList{font};
    }
    return {};
}

QStringList ownCandidates(const QString& name)
{
    QStringList candidates;
    // A list of folders, as PATH is written.
    const QStringList folders = qEnvironmentVariable("QUIVERLEAF_RESOURCES").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& folder : folders)
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
