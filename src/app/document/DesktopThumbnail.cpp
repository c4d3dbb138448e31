#include "app/document/DesktopThumbnail.h"

#include "app/document/FileStamp.h"
#include "app/output/BitmapWriters.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/painting/PagePainter.h"
#include "platform/runtime/AtomicFileWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

Error thumbnailError(const QString& cause)
{
    return Error {QStringLiteral("Quiverleaf.thumbnail"), 1, QObject::tr("No thumbnail was written: %1").arg(cause)};
}

// The cache holds pictures of the user's documents: its folders are the
// user's alone, whatever the umask says.
Status makePrivateFolder(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return thumbnailError(QStringLiteral("%1 (%2)").arg(fileSystemErrorText(errno), folder));
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return thumbnailError(QStringLiteral("%1 is not a folder").arg(folder));
    return {};
}

// Under a temporary name (made 0600 by mkstemp) in the same folder, then
// renamed over the old picture.
Status writePrivately(const QString& target, const QByteArray& data)
{
    QByteArray pattern = QFile::encodeName(target) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return thumbnailError(QStringLiteral("%1 (%2)").arg(fileSystemErrorText(errno), target));
    const char* next = data.constData();
    qsizetype left = data.size();
    int failed = 0;
    while (left > 0 && failed == 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0 && errno != EINTR)
            failed = errno;
        if (written > 0) {
            next += written;
            left -= written;
        }
    }
    if (::close(fd) != 0 && failed == 0)
        failed = errno;
    if (failed == 0 && std::rename(pattern.constData(), QFile::encodeName(target).constData()) != 0)
        failed = errno;
    if (failed != 0) {
        ::unlink(pattern.constData());
        return thumbnailError(QStringLiteral("%1 (%2)").arg(fileSystemErrorText(failed), target));
    }
    return {};
}

} // namespace

QString DesktopThumbnail::uriOfFile(const QString& path)
{
    // File managers look a thumbnail up by the md5 of the URI GLib makes of
    // the path, so the URI must match it byte for byte: GLib keeps these
    // reserved characters as they are and escapes every other byte, in upper
    // case hex, of the path as the file system stores it.
    static constexpr std::string_view kKept = "!$&'()*+,-./:=@_~";
    const auto kept = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || kKept.find(c) != std::string_view::npos;
    };
    const QByteArray bytes = QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    QByteArray uri = "file://";
    uri.reserve(uri.size() + bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (kept(c)) {
            uri += c;
        } else {
            uri += '%';
            uri += "0123456789ABCDEF"[byte >> 4];
            uri += "0123456789ABCDEF"[byte & 0xF];
        }
    }
    return QString::fromLatin1(uri);
}

QString DesktopThumbnail::fileNameFor(const QString& path)
{
    const QByteArray digest = QCryptographicHash::hash(uriOfFile(path).toUtf8(), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex()) + QStringLiteral(".png");
}

QString DesktopThumbnail::cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/thumbnails");
}

QImage DesktopThumbnail::render(ZVCanvasView& page, int pixels)
{
    const QSizeF size = page.frame().size();
    if (size.isEmpty())
        return {};
    const double scale = pixels / std::max(size.width(), size.height());
    // Rounding may reach one pixel past the square.
    // A save never waits for slow picture conversions: those still running
    // show as placeholders until the next save.
    QImage picture = PagePainter::image(page, scale, PagePainter::Layers::Visible,
                                        PagePainter::Conversions::ShowPlaceholders);
    if (picture.width() > pixels || picture.height() > pixels)
        picture = picture.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

Status DesktopThumbnail::write(ZVCanvasView& page, const QString& path)
{
    const FileStamp stamp = FileStamp::of(path);
    if (!stamp.exists)
        return thumbnailError(QObject::tr("the document “%1” does not exist").arg(path));
    const QImage extraLarge = render(page, kExtraLarge.pixels);
    if (extraLarge.isNull())
        return thumbnailError(QObject::tr("the first page has no area"));
    const PNGText text {{"Thumb::URI", uriOfFile(path).toLatin1()},
                        {"Thumb::MTime", QByteArray::number(stamp.modifiedNanoseconds / 1'000'000'000)}};
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(QFileInfo(cache).absolutePath());
    const QString root = cacheFolder();
    for (const QString& folder : {cache, root}) {
        if (Status made = makePrivateFolder(folder); !made)
            return made;
    }
    const QString name = fileNameFor(path);
    for (const Size& size : {kExtraLarge, kLarge}) {
        const QString folder = root + QLatin1Char('/') + QLatin1String(size.folder);
        if (Status made = makePrivateFolder(folder); !made)
            return made;
        QImage picture = size.pixels == kExtraLarge.pixels
                             ? extraLarge
                             : extraLarge.scaled(size.pixels, size.pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        // The sheet is opaque; thumbnails are stored as RGB.
        const Result<QByteArray> png = encodePNG(SheetBitmap {picture.convertToFormat(QImage::Format_RGB32)}, text);
        if (!png)
            return thumbnailError(png.error().message);
        if (Status written = writePrivately(folder + QLatin1Char('/') + name, *png); !written)
            return written;
    }
    return {};
}

} // namespace ql
