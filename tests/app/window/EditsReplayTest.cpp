// What a user does through the real window, driven by canvas-replay and read
// back with plistlib: insertions undo as one step each and are asked about on
// closing; a first start on an empty profile shows what its menus claim.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

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

// The most pixels in which two pictures differ down one column and along one row.
std::pair<int, int> longestDifferences(const QImage& a, const QImage& b)
{
    QList<int> down(a.width()), across(a.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                ++down[x], ++across[y];
    return {*std::max_element(down.cbegin(), down.cend()), *std::max_element(across.cbegin(), across.cend())};
}

} // namespace

// Thousands of undo and redo steps leave the tool's memory as it was: what
// the window lets go of later (the menus it makes again at each step) goes
// between steps, as in the program.
TEST_F(EditsReplay, ThousandsOfUndoAndRedoStepsKeepTheToolsMemoryFlat)
{
    const QString document = makeDocument();
    const auto peak = [&](int steps) {
        QString script = QStringLiteral("click 210 140\nkey Right\n");
        for (int i = 0; i < steps / 2; ++i)
            script += QStringLiteral("undo\nredo\n");
        return replayPeakKilobytes(document, script, path(QStringLiteral("out.qvleaf")));
    };
    const long few = peak(100);
    const long many = peak(2000);
    ASSERT_GT(few, 0);
    ASSERT_GT(many, 0);
    EXPECT_LT(many - few, 6 * 1024) << few << " KiB after 100 steps, " << many << " KiB after 2,000";
}

TEST_F(EditsReplay, InsertionsUndoOneByOneAndAreAskedAboutOnClosing)
{
    const QString document = makeDocument();
    const QString all = path(QStringLiteral("all.qvleaf"));
    const QString none = path(QStringLiteral("none.qvleaf"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString script = QStringLiteral("save\n%1button Page Number\nbutton Date\nsave %2\n"
                                          "undo\nundo\nundo\nundo\nsave %3\nredo\nredo\nredo\nredo\n"
                                          "close\nreopen\n")
                               .arg(kInsertBoth, all, none);
    const ql::testing::ToolRun run = replay(document, script, out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList inserted = uuids(all);
    ASSERT_EQ(inserted.size(), 5) << "the box, a text box, a 3D text, a page number and a date";
    EXPECT_EQ(uuids(none), inserted.mid(0, 1)) << "four undos take exactly the four insertions";
    EXPECT_TRUE(run.output.contains(QStringLiteral("alert: Do you want to save the changes made to the document “flyer”?")))
        << run.output.toStdString();
    EXPECT_EQ(uuids(out), inserted) << "redone with the same uuids and saved by the alert's Save";
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
    const auto [down, across] = longestDifferences(fresh, unguided);
    EXPECT_GT(down, 300);
    EXPECT_GT(across, 300);
    // The rulers already measured what choosing the checked unit shows.
    EXPECT_EQ(fresh, inches);
}
