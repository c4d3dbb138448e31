#include "panels/templates/TemplateLibrary.h"

#include "net/HTS3Manager.h"
#include "panels/templates/BlankTemplate.h"
#include "platform/runtime/FileReading.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace ql {

namespace {

const QString kTemplateSuffix = QStringLiteral(".qvleaf");
const QString kThumbnailSuffix = QStringLiteral(".jpg");

// "Cards/Blue.qvleaf" → "Cards"; "Blue.qvleaf" → "".
QString folderOf(const QString& key)
{
    const qsizetype slash = key.lastIndexOf(u'/');
    return slash < 0 ? QString() : key.left(slash);
}

QString fileNameOf(const QString& key)
{
    return key.mid(key.lastIndexOf(u'/') + 1);
}

} // namespace

TemplateSource TemplateLibrary::blankSource()
{
    TemplateSource source {QObject::tr("Blank"), {}};
    for (const BlankTemplate& blank : BlankTemplate::all())
        source.entries.append({TemplateEntry::Kind::Blank, blank.title, blank.resourcePath(),
                               Image(blank.thumbnail()), {}, {}});
    return source;
}

TemplateSource TemplateLibrary::savedSource(const QString& folder, QSize thumbnailPixels)
{
    TemplateSource source {QObject::tr("My Templates"), {}};
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*") + kTemplateSuffix}, QDir::Files,
                                                          QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& file : files) {
        const QString title = file.completeBaseName();
        const QString thumbnailFile = QDir(folder).filePath(title + kThumbnailSuffix);
        const Result<QByteArray> data = readFileWithin(thumbnailFile, kLargestThumbnailFile);
        const Result<Image> thumbnail =
            data ? Image::thumbnailFromData(*data, thumbnailPixels) : Result<Image>(data.error());
        source.entries.append({TemplateEntry::Kind::Saved, title, file.filePath(),
                               thumbnail ? *thumbnail : placeholder(), {}, {}});
    }
    return source;
}

QList<TemplateSource> TemplateLibrary::cloudSources(const QList<S3Object>& objects, const HTS3Manager& bucket)
{
    QList<TemplateSource> sources;
    QHash<QString, qsizetype> sourceOfFolder;
    QHash<QString, QString> thumbnails; // template key without suffix → thumbnail key
    for (const S3Object& object : objects) {
        if (object.size == 0) {
            const QString folder = object.key.endsWith(u'/') ? object.key.chopped(1) : object.key;
            if (!folder.isEmpty() && !sourceOfFolder.contains(folder)) {
                sourceOfFolder.insert(folder, sources.size());
                sources.append({fileNameOf(folder), {}});
            }
        } else if (object.key.endsWith(kThumbnailSuffix, Qt::CaseInsensitive)) {
            thumbnails.insert(object.key.chopped(kThumbnailSuffix.size()), object.key);
        }
    }
    QList<TemplateSource> unlisted;
    QHash<QString, qsizetype> unlistedOfFolder;
    for (const S3Object& object : objects) {
        if (object.size == 0 || !object.key.endsWith(kTemplateSuffix, Qt::CaseInsensitive))
            continue;
        const QString stem = object.key.chopped(kTemplateSuffix.size());
        TemplateEntry entry {TemplateEntry::Kind::Cloud, fileNameOf(stem), {}, {}, {}, object};
        if (const auto thumbnail = thumbnails.constFind(stem); thumbnail != thumbnails.cend())
            entry.thumbnailURL = bucket.urlForKey(*thumbnail);
        else
            entry.thumbnail = placeholder();
        const QString folder = folderOf(object.key);
        if (const auto listed = sourceOfFolder.constFind(folder); listed != sourceOfFolder.cend()) {
            sources[*listed].entries.append(entry);
            continue;
        }
        if (!unlistedOfFolder.contains(folder)) {
            unlistedOfFolder.insert(folder, unlisted.size());
            unlisted.append({folder.isEmpty() ? QObject::tr("Library") : fileNameOf(folder), {}});
        }
        unlisted[unlistedOfFolder.value(folder)].entries.append(entry);
    }
    return sources + unlisted;
}

Image TemplateLibrary::placeholder()
{
    static const Image image(BlankTemplate::pageThumbnail(QSizeF(612, 792)));
    return image;
}

} // namespace ql
