#include "support/DecodedPicture.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace ql::testing {

namespace {

QImage decoded(const QString& path, const QString& mode, int channels, QImage::Format format)
{
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                              : QStringLiteral("python3");
    QProcess process;
    process.start(python, {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/shapes/decoded_pixels.py"), path, mode});
    process.waitForFinished(120000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray out = process.readAllStandardOutput();
    const qsizetype newline = out.indexOf('\n');
    const QList<QByteArray> size = out.left(newline).split(' ');
    if (size.size() != 2)
        return {};
    const int width = size[0].toInt();
    const int height = size[1].toInt();
    if (out.size() - newline - 1 != qsizetype(width) * height * channels)
        return {};
    const auto* pixels = reinterpret_cast<const uchar*>(out.constData() + newline + 1);
    return QImage(pixels, width, height, width * channels, format).copy();
}

} // namespace

QImage decodedRGB(const QString& path)
{
    return decoded(path, QStringLiteral("RGB"), 3, QImage::Format_RGB888);
}

QImage decodedRGBA(const QString& path)
{
    return decoded(path, QStringLiteral("RGBA"), 4, QImage::Format_RGBA8888);
}

} // namespace ql::testing
