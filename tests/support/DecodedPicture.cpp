#include "support/DecodedPicture.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace ql::testing {

QImage decodedRGB(const QString& path)
{
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                              : QStringLiteral("python3");
    QProcess process;
    process.start(python, {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/shapes/decoded_pixels.py"), path});
    process.waitForFinished(120000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray out = process.readAllStandardOutput();
    const qsizetype newline = out.indexOf('\n');
    const QList<QByteArray> size = out.left(newline).split(' ');
    if (size.size() != 2)
        return {};
    const int width = size[0].toInt();
    const int height = size[1].toInt();
    if (out.size() - newline - 1 != qsizetype(width) * height * 3)
        return {};
    return QImage(reinterpret_cast<const uchar*>(out.constData() + newline + 1), width, height, width * 3,
                  QImage::Format_RGB888)
        .copy();
}

} // namespace ql::testing
