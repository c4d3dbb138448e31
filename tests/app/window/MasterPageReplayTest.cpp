// Linking a page to a master page through the page inspector of the real
// window: the canvas and output show the master's background, the file names
// the master, and Undo takes the link back.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace ql;

namespace {

class MasterPageReplay : public ql::testing::ReplayFixture {
protected:
    // Two content pages and master A with a blue background; no page linked.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* master = document->masterPages().first();
        master->backgroundView()->setBackgroundType(ZVBackgroundView::Colour);
        master->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 0, 1)));
        masterUuid = master->uuid();
        document->contentPages().append(document->newPage());
        const QString file = path(QStringLiteral("masters.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The master named by each content page of a saved file; null for none.
    QJsonArray mastersOf(const QString& file)
    {
        QJsonArray masters;
        const QJsonObject pages = QJsonDocument::fromJson(summary(file).toUtf8()).object();
        for (const QJsonValue page : pages.value(QStringLiteral("pages")).toArray())
            masters.append(page[QStringLiteral("master")]);
        return masters;
    }

    QString masterUuid;
};

bool isBlue(QColor c)
{
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}

int bluePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += isBlue(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

} // namespace

TEST_F(MasterPageReplay, ChoosingAMasterShowsItsBackgroundAndUndoTakesItBack)
{
    const QString document = makeDocument();
    const QString linked = path(QStringLiteral("linked.qvleaf"));
    const QString linkedShot = path(QStringLiteral("linked.png"));
    ql::testing::ToolRun run =
        replay(document, QStringLiteral("page 2\nmaster A\n"), linked, {QStringLiteral("--shot"), linkedShot});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(mastersOf(linked), (QJsonArray {QJsonValue(), masterUuid}));
    const int blueOnCanvas = bluePixels(QImage(linkedShot));
    EXPECT_GT(blueOnCanvas, 100000) << "the canvas shows page 2 on the master's background";

    const QString out = renderPages(linked);
    EXPECT_TRUE(isBlue(QImage(out + QStringLiteral("/page_2.png")).pixelColor(306, 396)));
    EXPECT_FALSE(isBlue(QImage(out + QStringLiteral("/page_1.png")).pixelColor(306, 396)));

    const QString chosen = path(QStringLiteral("chosen.qvleaf"));
    const QString undone = path(QStringLiteral("undone.qvleaf"));
    const QString redone = path(QStringLiteral("redone.qvleaf"));
    const QString none = path(QStringLiteral("none.qvleaf"));
    const QString noneShot = path(QStringLiteral("none.png"));
    run = replay(document,
                 QStringLiteral("page 2\nmaster A\nsave %1\nundo\nsave %2\nredo\nsave %3\nmaster None\n")
                     .arg(chosen, undone, redone),
                 none, {QStringLiteral("--shot"), noneShot});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(mastersOf(chosen), (QJsonArray {QJsonValue(), masterUuid}));
    EXPECT_EQ(mastersOf(undone), (QJsonArray {QJsonValue(), QString()})) << "one Undo unlinks it";
    EXPECT_EQ(mastersOf(redone), (QJsonArray {QJsonValue(), masterUuid}));
    EXPECT_EQ(mastersOf(none), (QJsonArray {QJsonValue(), QString()}));
    EXPECT_LT(bluePixels(QImage(noneShot)), blueOnCanvas / 100) << "the background went with the link";
}
