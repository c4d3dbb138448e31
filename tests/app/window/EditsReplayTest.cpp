// What a user does through the real window, driven by canvas-replay and read
// back with plistlib: insertions are asked about on closing and undo as one
// step each; a first start on an empty profile shows what its menus claim.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace ql;

namespace {

const QString kInsertBoth = QStringLiteral("key Ctrl+Shift+1\n"
                                           "button Insert Text Box\n"
                                           "button Add Text/3D Text\n");

class EditsReplay : public ql::testing::ReplayFixture {
protected:
    // A saved one-page flyer with margin guides, holding one text box.
    QString makeDocument()
    {
        Document* document = controller.newDocument();
        document->currentPage()->setValueForKey(u"showMarginGuides", true);
        auto box = ZVPuttyView::initWithText();
        box->setFrame(QRectF(60, 60, 300, 160));
        document->currentPage()->addPuttyView(box.release());
        const QString file = path(QStringLiteral("flyer.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The uuids of the first page's elements in a saved file.
    QStringList uuids(const QString& file)
    {
        const QJsonObject pages = QJsonDocument::fromJson(summary(file).toUtf8()).object();
        QStringList result;
        for (const QJsonValue element : pages.value(QStringLiteral("pages")).toArray().at(0)[QStringLiteral("elements")].toArray())
            result.append(element.toArray().at(0).toString());
        return result;
    }
};

// The pixels in which two pictures of one size differ.
QImage difference(const QImage& a, const QImage& b)
{
    QImage mask(a.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                mask.setPixel(x, y, 0xffffffff);
    return mask;
}

// The longest run of marked pixels down a column and along a row.
std::pair<int, int> longestLines(const QImage& mask)
{
    int down = 0;
    int across = 0;
    for (int x = 0; x < mask.width(); ++x) {
        int count = 0;
        for (int y = 0; y < mask.height(); ++y)
            count += qGray(mask.pixel(x, y)) > 0 ? 1 : 0;
        down = std::max(down, count);
    }
    for (int y = 0; y < mask.height(); ++y) {
        int count = 0;
        for (int x = 0; x < mask.width(); ++x)
            count += qGray(mask.pixel(x, y)) > 0 ? 1 : 0;
        across = std::max(across, count);
    }
    return {down, across};
}

} // namespace

TEST_F(EditsReplay, InsertionsAfterASaveAreAskedAboutOnClosingAndKept)
{
    const QString document = makeDocument();
    const QString out = path(QStringLiteral("out.qvleaf"));
    const ql::testing::ToolRun run =
        replay(document, QStringLiteral("save\n") + kInsertBoth + QStringLiteral("close\nreopen\n"), out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("alert: Do you want to save the changes made to the document “flyer”?")))
        << run.output.toStdString();
    EXPECT_EQ(uuids(out).size(), 3) << "the box, the text box and the 3D text, saved by the alert's Save";
}

TEST_F(EditsReplay, UndoTwiceRemovesBothAndRedoBringsBackTheSameElements)
{
    const QString document = makeDocument();
    const QString both = path(QStringLiteral("both.qvleaf"));
    const QString none = path(QStringLiteral("none.qvleaf"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const ql::testing::ToolRun run =
        replay(document,
               kInsertBoth + QStringLiteral("save %1\nundo\nundo\nsave %2\nredo\nredo\n").arg(both, none), out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList inserted = uuids(both);
    ASSERT_EQ(inserted.size(), 3);
    EXPECT_EQ(uuids(none), inserted.mid(0, 1));
    EXPECT_EQ(uuids(out), inserted);
}

TEST_F(EditsReplay, AnEmptyProfileShowsTheGuidesAndUnitItsMenusClaim)
{
    QTemporaryDir home;
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    const QString document = makeDocument();
    const QString out = path(QStringLiteral("out.qvleaf"));
    const auto shot = [&](const QString& script, const QString& name) {
        const QString file = path(name);
        const ql::testing::ToolRun run = replay(document, script, out, {QStringLiteral("--shot"), file});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return QImage(file);
    };
    const QImage fresh = shot(QStringLiteral("checked View/Show Guides\nchecked View/Units/Inches\n"), QStringLiteral("fresh.png"));
    const QImage unguided = shot(QStringLiteral("menu View/Show Guides\n"), QStringLiteral("unguided.png"));
    const QImage inches = shot(QStringLiteral("menu View/Units/Inches\n"), QStringLiteral("inches.png"));
    ASSERT_FALSE(fresh.isNull());
    ASSERT_EQ(fresh.size(), unguided.size());

    // Turning the guides off takes away whole lines: the margin guides were drawn.
    const auto [down, across] = longestLines(difference(fresh, unguided));
    EXPECT_GT(down, 300);
    EXPECT_GT(across, 300);
    // The rulers already measured what choosing the checked unit shows.
    EXPECT_EQ(fresh, inches);
}
