#include "ArchiveTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/archive/ArchiveTestSupport.h"

#include <QFile>

using ql::test::runRoundTrip;
using ql::test::ToolRun;

TEST(ArchiveTool, RoundTripsPagesAndRefusesOnlyUnreadableFiles)
{
    ZVCanvasView page;
    page.addLayoutLayer(QStringLiteral("Upper"));
    page.addPuttyView(ZVPuttyView::initWithText().release());
    page.addPuttyView(ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release());
    // A layer that lists an element nobody has still reads.
    page.layoutLayers().first()->appendUuid(QStringLiteral("NOBODY"));
    qobject_cast<ZVTextView*>(page.puttyViews().first()->contentView())->setString(QStringLiteral("kept"));

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("page.qvleaf"));
    const QString first = dir.filePath(QStringLiteral("first.qvleaf"));
    const QString second = dir.filePath(QStringLiteral("second.qvleaf"));
    ql::test::writeFile(source, archiveOf(&page));
    const ToolRun run = runRoundTrip(source, first);
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    ASSERT_EQ(runRoundTrip(first, second).exitCode, 0);
    EXPECT_EQ(ql::test::readFile(first), ql::test::readFile(second));

    auto read = readBack<ZVCanvasView>(ql::test::readFile(first));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->uuid(), page.uuid());
    ASSERT_EQ(read->puttyViews().size(), 2);
    EXPECT_EQ(qobject_cast<ZVTextView*>(read->puttyViews().first()->contentView())->string(), QStringLiteral("kept"));
    EXPECT_EQ(read->layoutLayers().size(), 2);

    // Settings of the wrong kind are not unreadable: the tool keeps going.
    const QString odd = dir.filePath(QStringLiteral("odd.qvleaf"));
    ForgedRecord oddPage({"ZVCanvasView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"},
                         [](ql::KeyedArchiver& coder) {
                             for (const QString& key : kPageKeys)
                                 coder.encodeObject(key, QVariant(QStringLiteral("?")));
                         });
    ql::test::writeFile(odd, archiveOf(&oddPage));
    EXPECT_EQ(runRoundTrip(odd, second).exitCode, 0);

    const QString garbage = dir.filePath(QStringLiteral("garbage.qvleaf"));
    QByteArray truncated = ql::test::readFile(source);
    truncated.chop(64);
    ql::test::writeFile(garbage, truncated);
    const ToolRun refused = runRoundTrip(garbage, dir.filePath(QStringLiteral("never.qvleaf")));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errorOutput.startsWith("archive-roundtrip: ")) << refused.errorOutput.toStdString();
    EXPECT_EQ(refused.errorOutput.count('\n'), 1);
}
