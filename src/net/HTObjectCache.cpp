#include "net/HTObjectCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cstdio>

namespace ql {

namespace {

const QString kDomain = QStringLiteral("HTObjectCache");

Error refused(const QString& key, const QString& why)
{
    return Error {kDomain, 1, QObject::tr("The key “%1” cannot be stored: %2.").arg(key, why)};
}

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            return true;
    }
    return false;
}

} // namespace

HTObjectCache::HTObjectCache(QString root)
    : m_root(std::move(root))
{
}

QString HTObjectCache::defaultRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("templates"));
}

Result<QString> HTObjectCache::pathForKey(const QString& key) const
{
    if (key.isEmpty())
        return refused(key, QObject::tr("it is empty"));
    if (key.toUtf8().size() > kMaximumKeyBytes)
        return refused(key.left(64) + QStringLiteral("…"), QObject::tr("it is longer than %1 bytes").arg(kMaximumKeyBytes));
    if (key.startsWith(u'/'))
        return refused(key, QObject::tr("it is an absolute path"));
    if (key.contains(u'\\'))
        return refused(key, QObject::tr("it holds a backslash"));
    if (hasControlCharacter(key))
        return refused(key, QObject::tr("it holds a control character"));
    const QStringList segments = key.split(u'/');
    for (const QString& segment : segments) {
        if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
            return refused(key, QObject::tr("it holds an empty, “.” or “..” part"));
        if (segment.toUtf8().size() > kMaximumSegmentBytes)
            return refused(key, QObject::tr("a part is longer than %1 bytes").arg(kMaximumSegmentBytes));
    }
    if (hasLinkOnTheWay(key))
        return refused(key, QObject::tr("a folder on the way is a symbolic link"));
    return QDir(m_root).filePath(key);
}

bool HTObjectCache::acceptsKey(const QString& key) const
{
    return pathForKey(key.endsWith(u'/') ? key.chopped(1) : key).ok();
}

bool HTObjectCache::hasLinkOnTheWay(const QString& relative) const
{
    QString path = m_root;
    for (const QString& segment : relative.split(u'/')) {
        path += u'/' + segment;
        const QFileInfo info(path);
        if (info.isSymLink())
            return true;
        if (!info.exists())
            return false;
    }
    return false;
}

bool HTObjectCache::isDigestTag(const QString& etag)
{
    if (etag.size() != 32)
        return false;
    for (const QChar c : etag) {
        if (!c.isDigit() && !(c.toLower() >= u'a' && c.toLower() <= u'f'))
            return false;
    }
    return true;
}

bool HTObjectCache::hasCurrentCopy(const S3Object& object) const
{
    if (!isDigestTag(object.etag))
        return false;
    const Result<QString> path = pathForKey(object.key);
    if (!path || !QFileInfo(*path).isFile())
        return false;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash md5(QCryptographicHash::Md5);
    if (!md5.addData(&file))
        return false;
    return md5.result().toHex() == object.etag.toLower().toLatin1();
}

Result<QString> HTObjectCache::prepareDownload(const S3Object& object) const
{
    const Result<QString> path = pathForKey(object.key);
    if (!path)
        return path.error();
    const QFileInfo target(*path);
    if (!QDir().mkpath(target.absolutePath()))
        return Error {kDomain, 2, QObject::tr("The folder “%1” could not be made.").arg(target.absolutePath())};
    // Made folders may have raced with a link; look again now that they exist.
    if (hasLinkOnTheWay(object.key))
        return refused(object.key, QObject::tr("a folder on the way is a symbolic link"));
    QTemporaryFile temporary(target.absoluteFilePath() + QStringLiteral(".part-XXXXXX"));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        return Error {kDomain, 3, QObject::tr("“%1” could not be written: %2").arg(temporary.fileTemplate(), temporary.errorString())};
    return temporary.fileName();
}

Status HTObjectCache::commitDownload(const S3Object& object, const QString& temporaryPath) const
{
    const Result<QString> path = pathForKey(object.key);
    if (!path) {
        QFile::remove(temporaryPath);
        return path.error();
    }
    // rename() replaces the earlier copy in one step, never leaving none.
    if (std::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(*path).constData()) != 0) {
        QFile::remove(temporaryPath);
        return Error {kDomain, 4, QObject::tr("“%1” could not be stored.").arg(*path)};
    }
    return {};
}

} // namespace ql
