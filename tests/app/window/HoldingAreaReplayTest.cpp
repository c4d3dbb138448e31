// Copy to Pasteboard through the real window, driven by canvas-replay with a
// user-defaults file of the test's own: the holding area keeps the clicked
// element, read back with plistlib.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace ql;

namespace {

class HoldingAreaReplay : public ql::testing::ReplayFixture {};

} // namespace

TEST_F(HoldingAreaReplay, CopyToPasteboardKeepsTheClickedElement)
{
    Document* made = controller.newDocument();
    for (const QRectF& frame : {QRectF(60, 60, 200, 160), QRectF(300, 300, 200, 160)}) {
        auto shape = ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square"));
        shape->setFrame(frame);
        made->currentPage()->addPuttyView(shape.release());
    }
    const QString document = path(QStringLiteral("shapes.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(made, document));

    QTemporaryDir home;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    const QString defaults = home.filePath(QStringLiteral("config/defaults.qldefaults"));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const ql::testing::ToolRun run = replay(document, QStringLiteral("click 160 140\nmenu Edit/Copy to Pasteboard\n"), out,
                                            {QStringLiteral("--defaults"), defaults});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const QVariantList kept = UserDefaults(defaults).arrayForKey(QStringLiteral("pasteboard"));
    ASSERT_EQ(kept.size(), 1);
    const QString viewData = path(QStringLiteral("viewData.plist"));
    ql::testing::writeFile(viewData, kept.first().toMap().value(QStringLiteral("viewData")).toByteArray());
    const QString root = QStringLiteral("d['$objects'][d['$top']['root'].data]");
    const QJsonArray clicked = QJsonDocument::fromJson(summary(out).toUtf8())
                                   .object()[QStringLiteral("pages")].toArray().first()
                                   .toObject()[QStringLiteral("elements")].toArray().first().toArray();
    EXPECT_EQ(ql::testing::plistlib(viewData, QStringLiteral("d['$objects'][%1['uuid'].data]").arg(root)),
              clicked.at(0).toString());
    EXPECT_EQ(ql::testing::plistlib(viewData, QStringLiteral("%1['frame']").arg(root)),
              clicked.at(1).toString());
}
