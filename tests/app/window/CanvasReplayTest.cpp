#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "support/DecodedPicture.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

using namespace ql;

namespace {

using ql::testing::ToolRun;

class CanvasReplay : public ql::testing::ReplayFixture {
protected:
    // A saved document of two content pages linked to a master, with
    // elements of each kind, one of them turned.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        ZVCanvasView* first = document->currentPage();
        ZVCanvasView* second = document->newPage();
        document->contentPages().append(second);
        first->setMasterPage(document->masterPages().first());
        auto text = ZVPuttyView::initWithText();
        text->setFrame(QRectF(100, 120, 300, 200));
        text->setFrameCenterRotation(30);
        first->addPuttyView(text.release());
        auto deep = ZVPuttyView::initWith3DText(QStringLiteral("Deep"));
        deep->setFrame(QRectF(-40, 500, 400, 200));
        first->addPuttyView(deep.release());
        auto image = ZVPuttyView::initWithImage(Image(QImage(20, 10, QImage::Format_ARGB32)));
        image->setFrame(QRectF(10, 10, 120, 90));
        second->addPuttyView(image.release());
        const QString path = this->path(QStringLiteral("sample.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, path));
        return path;
    }
};

} // namespace

TEST_F(CanvasReplay, EditFreeScriptKeepsPagesUuidsAndFrames)
{
    const QString document = makeDocument();
    const QString before = summary(document);
    ASSERT_TRUE(before.contains(QLatin1String("\"elements\"")));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString shot = path(QStringLiteral("shot.png"));
    const ToolRun run = replay(document,
                           QStringLiteral("# looking around\n"
                                          "zoom 150\n"
                                          "page 2\n"
                                          "page 1\n"
                                          "menu View/Zoom In\n"
                                          "menu View/Fit Page\n"
                                          "key Ctrl+Shift+2\n"
                                          "click 700 40\n"
                                          "press 600 700\nmove 610 705\nrelease 610 705\n"
                                          "wait 20\n"),
                           out, {QStringLiteral("--shot"), shot});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(summary(out).toStdString(), before.toStdString());
    EXPECT_EQ(QImage(shot).size(), QSize(1400, 1000));
    EXPECT_EQ(summary(document).toStdString(), before.toStdString()) << "the input file is left as it was";
}

TEST_F(CanvasReplay, BadLinesAndDisabledItemsStopWithTheLineNumber)
{
    const QString document = makeDocument();
    const QString out = path(QStringLiteral("never.qvleaf"));
    ToolRun run = replay(document, QStringLiteral("zoom 150\n\nfrobnicate 1 2\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QLatin1String("line 3: "))) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    run = replay(document, QStringLiteral("click 10\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QLatin1String("line 1: "))) << run.errors.toStdString();

    run = replay(document, QStringLiteral("# undo has nothing to undo yet\nmenu Edit/Undo\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QLatin1String("line 2: menu item \"Edit/Undo\" is disabled"))) << run.errors.toStdString();

    run = replay(document, QStringLiteral("menu View/No Such Thing\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    run = replay(document, QStringLiteral("page 9\n"), out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QLatin1String("line 1: there is no page 9"))) << run.errors.toStdString();
}

TEST_F(CanvasReplay, PageMenuInsertsAndDeletesPages)
{
    // Three content pages, each with a left margin of its own; two masters.
    Document* document = controller.newDocument();
    document->contentPages().append(document->newPage());
    document->contentPages().append(document->newPage());
    document->masterPages().append(document->newPage());
    QStringList uuids;
    for (int index = 0; index < 3; ++index) {
        ZVCanvasView* page = document->contentPages()[index];
        page->setValueForKey(u"leftMargin", 20.0 + 5 * index);
        uuids.append(page->uuid());
    }
    const QString input = path(QStringLiteral("three.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, input));

    const QString out = path(QStringLiteral("five.qvleaf"));
    ToolRun run = replay(input,
                         QStringLiteral("page 3\nmenu Page/Insert Page After\npage 1\nmenu Page/Insert Page Before\n"),
                         out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    // Each page as "uuid|left margin|master", read by plistlib.
    const QString pages = ql::testing::plistlib(
        out, QStringLiteral("(lambda o: (lambda r: '\\n'.join('%s|%g|%s' % (r(o[u.data]['uuid']), "
                            "o[u.data]['leftMargin'], str(r(o[u.data].get('masterPageUUID', ''))).replace('$null', '')) "
                            "for u in o[d['$top']['pages'].data]['NS.objects']))"
                            "(lambda v: o[v.data] if isinstance(v, plistlib.UID) else v))(d['$objects'])"));
    const QStringList rows = pages.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(rows.size(), 5) << pages.toStdString();
    for (int index = 0; index < 3; ++index)
        EXPECT_TRUE(rows[index + 1].startsWith(uuids[index] + QLatin1Char('|'))) << rows[index + 1].toStdString();
    EXPECT_TRUE(rows[0].endsWith(QLatin1String("|20|"))) << "before page 1, like page 1: " << rows[0].toStdString();
    EXPECT_TRUE(rows[4].endsWith(QLatin1String("|30|"))) << "after page 3, like page 3: " << rows[4].toStdString();
    EXPECT_FALSE(uuids.contains(rows[0].section(QLatin1Char('|'), 0, 0)));

    run = replay(input, QStringLiteral("menu Page/Show Master Pages\nmenu Page/Delete Page\n"), out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(ql::testing::plistlib(out, QStringLiteral("len(d['$objects'][d['$top']['masterPages'].data]['NS.objects'])")),
              QStringLiteral("1"));
    run = replay(input, QStringLiteral("menu Page/Show Master Pages\nmenu Page/Delete Page\nmenu Page/Delete Page\n"), out);
    EXPECT_EQ(run.exitCode, 1) << "the last master cannot go";
    EXPECT_TRUE(run.errors.contains(QLatin1String("line 3: menu item \"Page/Delete Page\" is disabled")))
        << run.errors.toStdString();
}

TEST_F(CanvasReplay, ShotShowsACustomRadialPageBackgroundFromItsCentre)
{
    Document* document = controller.newDocument();
    ZVBackgroundView* ground = document->currentPage()->backgroundView();
    ground->setBackgroundType(2);
    ground->setBackgroundGradientType(3);
    ground->setGradient(QVariant::fromValue(Gradient(QList<Color> {Color::deviceRgb(1, 0, 0), Color::deviceRgb(0, 0, 1)})));
    const QString saved = path(QStringLiteral("radial.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    const QString shot = path(QStringLiteral("radial.png"));
    const ToolRun run = replay(saved, QStringLiteral("zoom 50\n"), path(QStringLiteral("out.qvleaf")),
                               {QStringLiteral("--shot"), shot});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    // The page: the rows of the canvas (left of the inspector, whose
    // gradient well shows the same colours) with a long run of red, blue
    // and their blends.
    const QImage picture = ql::testing::decodedRGB(shot);
    ASSERT_FALSE(picture.isNull());
    QRect page;
    for (int y = 0; y < picture.height(); ++y) {
        QRect row;
        for (int x = 0; x < picture.width() - int(DocumentWindow::kRightPaneWidth); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.green() < 60 && c.red() + c.blue() > 200)
                row |= QRect(x, y, 1, 1);
        }
        if (row.width() > 250)
            page |= row;
    }
    EXPECT_NEAR(page.width(), 306, 4);
    EXPECT_NEAR(page.height(), 396, 4);
    const QColor centre = picture.pixelColor(page.center());
    EXPECT_TRUE(centre.red() > 200 && centre.blue() < 60) << centre.name().toStdString();
    const QRect inside = page.adjusted(2, 2, -2, -2);
    for (const QPoint corner : {inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight()}) {
        const QColor c = picture.pixelColor(corner);
        EXPECT_TRUE(c.blue() > 200 && c.red() < 60) << c.name().toStdString();
    }
}
