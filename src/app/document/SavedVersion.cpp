#include "app/document/SavedVersion.h"

#include "app/document/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>

namespace ql {

namespace {

Error versionError(const QString& message)
{
    return Error {QStringLiteral("SavedVersion"), 0, message};
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
    if (!QDir().mkpath(where)) {
        discard();
        return versionError(QObject::tr("The folder “%1” could not be made.").arg(where));
    }
    // The copies are the user's documents: no one else reads them.
    QFile::setPermissions(where, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
