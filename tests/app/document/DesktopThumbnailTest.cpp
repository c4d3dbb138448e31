// File managers find a document's thumbnail by the md5 of the URI GLib makes
// of its path: ours must be that URI byte for byte, checked against what
// `gio info` prints for the same files.
#include "app/document/DesktopThumbnail.h"

#include "../output/OutputTestSupport.h"
#include "DocumentTestSupport.h"

#include <QCryptographicHash>
#include <QDir>

using namespace ql;

TEST(DesktopThumbnail, NamesEveryFileAsGioDoes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("a folder")));
    QStringList paths {folder.filePath(QStringLiteral("a folder/offer;v2 [final].qvleaf")),
                       folder.filePath(QStringLiteral("Ωμέγα 文書 é.qvleaf")),
                       folder.filePath(QStringLiteral("%41 already escaped"))};
    // Every printable ASCII character but letters, digits and the slash.
    for (char c = ' '; c < 0x7f; ++c) {
        if (!QChar(c).isLetterOrNumber() && c != '/')
            paths.append(folder.filePath(QStringLiteral("x%1y.qvleaf").arg(QLatin1Char(c))));
    }
    for (const QString& path : std::as_const(paths))
        ql::testing::writeFile(path, "");

    const ql::testing::ProgramRun run = ql::testing::runProgram(QStringLiteral("gio"),
                                                                QStringList {QStringLiteral("info")} + paths);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList gioUris;
    for (const QString& line : run.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("uri: ")))
            gioUris.append(line.mid(5));
    }
    ASSERT_EQ(gioUris.size(), paths.size());
    EXPECT_TRUE(gioUris.first().endsWith(QLatin1String("/a%20folder/offer%3Bv2%20%5Bfinal%5D.qvleaf")));
    for (qsizetype i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths.at(i).toStdString());
        EXPECT_EQ(DesktopThumbnail::uriOfFile(paths.at(i)), gioUris.at(i));
        const QByteArray md5 = QCryptographicHash::hash(gioUris.at(i).toUtf8(), QCryptographicHash::Md5).toHex();
        EXPECT_EQ(DesktopThumbnail::fileNameFor(paths.at(i)), QString::fromLatin1(md5 + ".png"));
    }
    // A path given with "." and ".." steps names the same file.
    EXPECT_EQ(DesktopThumbnail::uriOfFile(folder.filePath(QStringLiteral("a folder/./../x!y.qvleaf"))),
              DesktopThumbnail::uriOfFile(folder.filePath(QStringLiteral("x!y.qvleaf"))));
}
