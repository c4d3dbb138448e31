// ImageMagick's convert as the peer of the image benchmarks, and the
// picture handed to it in the format it reads fastest.
#pragma once

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace bench {

inline QString imageMagickConvert()
{
    // The packaged ImageMagick, not any wrapper earlier on the PATH.
    for (const char* path : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"})
        if (QFileInfo::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

// The picture converted by the peer itself into `extension` ("miff", or
// "mpc" for its memory-mapped cache) in a folder that lives as long as the
// program.
inline QString peerInputFile(const QImage& picture, const QString& extension)
{
    static QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("picture.png"));
    const QString converted = dir.filePath(QStringLiteral("picture.") + extension);
    picture.save(png);
    QProcess::execute(imageMagickConvert(), {png, converted});
    return converted;
}

} // namespace bench
