#include "app/document/SavedVersion.h"

#include "platform/runtime/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

Error versionError(const QString& message)
{
    return Error {QStringLiteral("SavedVersion"), 0, message};
}

// Whether a file, not a folder, is the first part of `path` (itself
// included) that exists.
bool fileInTheWay(const QString& path)
{
    for (QFileInfo part(path);; part = QFileInfo(part.absolutePath())) {
        if (part.exists())
            return !part.isDir();
        if (part.isRoot())
            return false;
    }
}

// The copies are the user's documents: their folder is the user's alone. A
// link standing in its place is removed, never followed, so that nothing it
// names is made private or written into; a fresh folder takes its place.
Status makePrivateFolder(const QString& where)
{
    const auto failed = [&where](int error) {
        return versionError(QObject::tr("The folder “%1” could not be made: %2").arg(where, fileSystemErrorText(error)));
    };
    const QString parent = QFileInfo(where).absolutePath();
    if (!QDir().mkpath(parent))
        return failed(fileInTheWay(parent) ? ENOTDIR : ENOENT);
    const QByteArray name = QFile::encodeName(where);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode) && ::unlink(name.constData()) != 0)
        return failed(errno);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return failed(errno);
    const int folder = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return failed(errno);
    const int changed = ::fchmod(folder, 0700) == 0 ? 0 : errno;
    ::close(folder);
    return changed == 0 ? Status {} : failed(changed);
}

} // namespace

SavedVersion::~SavedVersion()
{
    discard();
}

QString SavedVersion::folder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("saved versions"));
}

Status SavedVersion::keep(const QByteArray& data)
{
    const QString where = folder();
    if (Status made = makePrivateFolder(where); !made) {
        discard();
        return made;
    }
    const QString path = m_path.isEmpty()
        ? QDir(where).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".qvleaf"))
        : m_path;
    if (Status written = writeFileAtomically(path, data); !written) {
        m_path = path;
        discard();
        return written;
    }
    m_path = path;
    return {};
}

Result<QByteArray> SavedVersion::read() const
{
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return versionError(QObject::tr("The saved version of the document is missing."));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return versionError(QObject::tr("The saved version of the document could not be read: %1").arg(file.errorString()));
    return data;
}

void SavedVersion::discard()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
}

} // namespace ql
