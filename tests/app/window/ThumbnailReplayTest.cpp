// A save leaves the picture file managers show: the first page in both sizes
// of the per-user thumbnail cache, named and stamped for the saved file, read
// back with PIL; a cache that cannot be written never fails the save.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <unistd.h>

using namespace ql;

namespace {

class ThumbnailReplay : public ql::testing::ReplayFixture {
protected:
    // A first page with a red box on master A's green background, and a second page.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* master = document->masterPages().first();
        master->backgroundView()->setBackgroundType(ZVBackgroundView::Colour);
        master->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 0.6, 0)));
        ZVCanvasView* first = document->contentPages().first();
        first->setMasterPage(master);
        ql::testing::addFilledRect(*first, QRectF(100, 120, 300, 200), Qt::red);
        document->contentPages().append(document->newPage());
        const QString file = path(QStringLiteral("flyer.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    QJsonObject check(const QString& document, const QString& cache, const QString& reference)
    {
        const ql::testing::ProgramRun run = ql::testing::runProgram(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/thumbnail_check.py"), document, cache, reference});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }
};

} // namespace

TEST_F(ThumbnailReplay, SavingWritesBothSizesOfTheFirstPageForTheSavedFile)
{
    const QString document = makeDocument();
    const QString cache = path(QStringLiteral("my cache"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    // Characters GLib escapes in the URI that names the pictures.
    const QString saved = path(QStringLiteral("offer;v2 [final].qvleaf"));
    const ql::testing::ToolRun run = replay(document, QString(), saved);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const QJsonObject found = check(saved, cache, renderPages(saved) + QStringLiteral("/page_1.png"));
    EXPECT_TRUE(found[QStringLiteral("uri")].toString().endsWith(QStringLiteral("/offer%3Bv2%20%5Bfinal%5D.qvleaf")));
    const QJsonObject thumbnails = found[QStringLiteral("thumbnails")].toObject();
    ASSERT_EQ(thumbnails.keys(), (QStringList {"large", "x-large"}));
    for (const auto& [folder, side] : {std::pair {"x-large", 512}, std::pair {"large", 256}}) {
        SCOPED_TRACE(folder);
        const QJsonObject thumbnail = thumbnails[QLatin1String(folder)].toObject();
        // A letter page is taller than wide: its height fills the square.
        EXPECT_EQ(thumbnail[QStringLiteral("size")].toArray().at(1).toInt(), side);
        EXPECT_LT(thumbnail[QStringLiteral("size")].toArray().at(0).toInt(), side);
        EXPECT_EQ(thumbnail[QStringLiteral("uri")], found[QStringLiteral("uri")]);
        EXPECT_EQ(thumbnail[QStringLiteral("mtime")].toString(), QString::number(found[QStringLiteral("mtime")].toInteger()));
        EXPECT_LT(thumbnail[QStringLiteral("difference")].toDouble(), 6.0) << "the first page as output draws it";
        EXPECT_EQ(thumbnail[QStringLiteral("file_mode")].toInt(), 0600);
        EXPECT_EQ(thumbnail[QStringLiteral("folder_mode")].toInt(), 0700);
    }
}

TEST_F(ThumbnailReplay, ACacheThatCannotBeWrittenStillSaves)
{
    const QString document = makeDocument();
    const QString cache = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(cache));
    // Permissions do not stop the superuser: a file where the thumbnails
    // folder belongs does.
    if (::geteuid() == 0)
        ql::testing::writeFile(cache + QStringLiteral("/thumbnails"), "not a folder");
    QFile::setPermissions(cache, QFile::ReadOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    const QString saved = path(QStringLiteral("saved.qvleaf"));
    const ql::testing::ToolRun run = replay(document, QStringLiteral("save\n"), saved);
    QFile::setPermissions(cache, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(summary(saved).toUtf8()).object()[QStringLiteral("pages")].toArray().size(), 2);
}
