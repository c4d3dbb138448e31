// The clipboard as other X11 programs see it: under xvfb-run, xclip reads a
// text box copied in the window as plain text and HTML, and text or a PNG set
// with xclip pastes as a text box or a picture.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QImage>
#include <QProcess>

using namespace ql;

namespace {

class XClipboard : public ql::testing::ReplayFixture {};

} // namespace

TEST_F(XClipboard, OtherProgramsReadOurCopiesAndWePasteTheirs)
{
    Document* made = controller.newDocument();
    auto box = ZVPuttyView::initWithText();
    qobject_cast<ZVTextView*>(box->contentView())->setString(QStringLiteral("Copied words"));
    box->setFrame(QRectF(100, 100, 200, 160));
    made->currentPage()->addPuttyView(box.release());
    const QString document = path(QStringLiteral("box.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(made, document));
    QImage picture(64, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(path(QStringLiteral("picture.png"))));

    QProcess xvfb;
    xvfb.setProcessEnvironment(environment);
    xvfb.start(QStringLiteral("xvfb-run"),
               {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1600x1200x24"), QStringLiteral("bash"),
                QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/x_clipboard.sh"),
                QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay"), document, folder.path()});
    ASSERT_TRUE(xvfb.waitForFinished(240000));
    ASSERT_EQ(xvfb.exitCode(), 0) << xvfb.readAllStandardError().toStdString();

    EXPECT_EQ(ql::testing::fileContents(path(QStringLiteral("plain.txt"))), QByteArray("Copied words"));
    const QByteArray html = ql::testing::fileContents(path(QStringLiteral("html.txt")));
    EXPECT_TRUE(html.contains("<html") && html.contains("Copied words")) << html.toStdString();

    const auto kinds = [this](const QString& file) {
        return ql::testing::plistlib(path(file), QStringLiteral(
            "[d['$objects'][e.data]['contentViewType'] for e in "
            "d['$objects'][d['$objects'][d['$objects'][d['$top']['pages'].data]['NS.objects'][0].data]"
            "['puttyViews'].data]['NS.objects']]"));
    };
    EXPECT_EQ(kinds(QStringLiteral("text-out.qvleaf")), QStringLiteral("[1, 1]")) << "a new text box";
    EXPECT_EQ(kinds(QStringLiteral("picture-out.qvleaf")), QStringLiteral("[1, 0]")) << "a new picture";
}
