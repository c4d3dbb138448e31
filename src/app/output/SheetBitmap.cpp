#include "app/output/SheetBitmap.h"

#include "app/output/SheetDocument.h"

#include <QFile>
#include <QPainter>
#include <cmath>
#include <limits>
#include <lcms2.h>
#include <memory>
#include <vector>

namespace ql {

namespace {

// One sheet's pixels take at most 1 GiB: a larger picture could only be had
// by exhausting the machine's memory, so it is refused instead.
constexpr double kLargestBitmapBytes = 1024.0 * 1024.0 * 1024.0;

Error bitmapError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.output"), 2, message};
}

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
using Transform = std::unique_ptr<void, TransformDeleter>;

// The pixels of a sheet at `dpi`, truncated, in doubles: a size too large for
// any picture is still measured right.
QSizeF pixelExtent(const ZVPDFPage& sheet, int dpi)
{
    const QRectF bounds = sheet.boundsForBox();
    const double scale = dpi / 72.0;
    return QSizeF(std::trunc(bounds.width() * scale), std::trunc(bounds.height() * scale));
}

} // namespace

QString cmykProfilePath()
{
    return QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
}

Result<QByteArray> cmykProfileData()
{
    QFile file(cmykProfilePath());
    if (!file.open(QIODevice::ReadOnly))
        return bitmapError(QStringLiteral("The CMYK profile %1 cannot be read.").arg(cmykProfilePath()));
    return file.readAll();
}

QByteArray rgbProfileData()
{
    const Profile profile(cmsCreate_sRGBProfile());
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0)
        return {};
    QByteArray data(qsizetype(size), '\0');
    if (!cmsSaveProfileToMem(profile.get(), data.data(), &size))
        return {};
    return data;
}

Status convertToCMYK(QImage& pixels)
{
    const Result<QByteArray> cmykData = cmykProfileData();
    if (!cmykData)
        return cmykData.error();
    const Profile rgb(cmsCreate_sRGBProfile());
    const Profile cmyk(cmsOpenProfileFromMem(cmykData->constData(), cmsUInt32Number(cmykData->size())));
    if (!rgb || !cmyk)
        return bitmapError(QStringLiteral("The CMYK profile %1 is not usable.").arg(cmykProfilePath()));
    // RGB32 lies in memory as B, G, R, A on the little-endian machines we run on.
    const Transform transform(cmsCreateTransform(rgb.get(), TYPE_BGRA_8, cmyk.get(), TYPE_CMYK_8,
                                                 INTENT_PERCEPTUAL, 0));
    if (!transform)
        return bitmapError(QStringLiteral("Colours cannot be converted to CMYK."));
    std::vector<uchar> row(size_t(pixels.width()) * 4);
    for (int y = 0; y < pixels.height(); ++y) {
        uchar* line = pixels.scanLine(y);
        cmsDoTransform(transform.get(), line, row.data(), cmsUInt32Number(pixels.width()));
        std::copy(row.begin(), row.end(), line);
    }
    return {};
}

QSize pixelSizeForSheet(const ZVPDFPage& sheet, int dpi)
{
    const QSizeF extent = pixelExtent(sheet, dpi);
    const auto whole = [](double pixels) {
        return pixels >= 1 ? int(std::min(pixels, double(std::numeric_limits<int>::max()))) : 0;
    };
    return QSize(whole(extent.width()), whole(extent.height()));
}

int imageCountForPDF(const SheetDocument& document, int dpi)
{
    int count = 0;
    for (int i = 0; i < document.pageCount(); ++i) {
        if (!pixelSizeForSheet(document.page(i), dpi).isEmpty())
            ++count;
    }
    return count;
}

Result<SheetBitmap> imageForSheet(const ZVPDFPage& sheet, ZVDesignHelper& helper, int dpi, int colorSpace)
{
    const double scale = dpi / 72.0;
    const QSizeF extent = pixelExtent(sheet, dpi);
    const double pixelsWide = extent.width();
    const double pixelsHigh = extent.height();
    if (pixelsWide >= 1 && pixelsHigh >= 1 && !(pixelsWide * pixelsHigh * 4 <= kLargestBitmapBytes)) {
        return bitmapError(QStringLiteral("The page is too large to be a picture at %1 dpi (%2 × %3 pixels). "
                                          "Choose a lower resolution.")
                               .arg(dpi)
                               .arg(pixelsWide, 0, 'f', 0)
                               .arg(pixelsHigh, 0, 'f', 0));
    }
    const QSize size = pixelSizeForSheet(sheet, dpi);
    const int width = size.width();
    const int height = size.height();
    SheetBitmap bitmap;
    bitmap.dpi = dpi;
    if (width < 1 || height < 1)
        return bitmap;
    bitmap.pixels = QImage(width, height, QImage::Format_RGB32);
    if (bitmap.pixels.isNull())
        return bitmapError(QStringLiteral("There is not enough memory for a picture of %1 × %2 pixels.")
                               .arg(width)
                               .arg(height));
    bitmap.pixels.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    bitmap.pixels.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    bitmap.pixels.fill(Qt::white);
    {
        QPainter painter(&bitmap.pixels);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        sheet.drawWithBox(painter, helper);
    }
    if (colorSpace == kCMYKColorSpace) {
        if (const Status converted = convertToCMYK(bitmap.pixels); !converted)
            return converted.error();
        bitmap.cmyk = true;
    }
    return bitmap;
}

Result<QList<SheetBitmap>> imagesForPDF(const SheetDocument& document, ZVDesignHelper& helper, int dpi,
                                        int colorSpace)
{
    QList<SheetBitmap> result;
    for (int i = 0; i < document.pageCount(); ++i) {
        Result<SheetBitmap> bitmap = imageForSheet(document.page(i), helper, dpi, colorSpace);
        if (!bitmap)
            return bitmap.error();
        if (!bitmap->isNull())
            result.append(std::move(bitmap).value());
    }
    return result;
}

} // namespace ql
