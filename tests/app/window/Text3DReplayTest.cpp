// Turning 3D text on the real window through canvas-replay: a double click
// enters its edit mode, a drag turns it, a click elsewhere ends the mode;
// the saved document holds the turned point of view, read by plistlib.
#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QQuaternion>
#include <QRegularExpression>

using namespace ql;

namespace {

class Text3DReplay : public ql::testing::DocumentFixture {
protected:
    int replay(const QString& document, const QString& script, const QString& out, const QString& shot)
    {
        ql::testing::writeFile(path(QStringLiteral("script.txt")), script.toUtf8());
        QProcess tool;
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay"),
                   {document, path(QStringLiteral("script.txt")), out, QStringLiteral("--shot"), shot});
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return tool.exitCode();
    }

    // The orientations of the document's point-of-view records.
    QList<QQuaternion> pointsOfView(const QString& file)
    {
        const QString printed = ql::testing::plistlib(
            file, QStringLiteral("[[o[k] for k in ('orientationW','orientationX','orientationY','orientationZ')] "
                                 "for o in d['$objects'] if isinstance(o, dict) and '$class' in o and "
                                 "d['$objects'][o['$class'].data]['$classname'] == 'SCNNode']"));
        QList<QQuaternion> found;
        static const QRegularExpression quad(QStringLiteral("\\[([^\\[\\]]+)\\]"));
        for (auto it = quad.globalMatch(printed); it.hasNext();) {
            const QStringList parts = it.next().captured(1).split(QLatin1Char(','));
            if (parts.size() == 4)
                found.append(QQuaternion(parts[0].toFloat(), parts[1].toFloat(), parts[2].toFloat(), parts[3].toFloat()));
        }
        return found;
    }
};

// Pixels of about pure blue, the front colour, inside and outside an area.
QPair<int, int> bluePixels(const QImage& picture, const QRect& area)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    int inside = 0, outside = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QColor c = rgb.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60)
                ++(area.contains(x, y) ? inside : outside);
        }
    }
    return {inside, outside};
}

// The page in the window's picture: the bounds of its pure white pixels.
QRect pageIn(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QRect page;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            if (rgb.pixel(x, y) == qRgb(255, 255, 255))
                page = page.united(QRect(x, y, 1, 1));
        }
    }
    return page;
}

} // namespace

TEST_F(Text3DReplay, DoubleClickDragAndClickOutsideLeaveATurnedView)
{
    Document* document = controller.newDocument();
    auto deep = ZVPuttyView::initWith3DText(QStringLiteral("Double click to rotate me."));
    deep->setFrame(QRectF(56, 296, 500, 200));
    document->currentPage()->addPuttyView(deep.release());
    const QString input = path(QStringLiteral("deep.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, input));
    const QList<QQuaternion> before = pointsOfView(input);
    ASSERT_EQ(before.size(), 1);

    const QString out = path(QStringLiteral("out.qvleaf"));
    const QString shot = path(QStringLiteral("shot.png"));
    ASSERT_EQ(replay(input,
                     QStringLiteral("dclick 300 400\n"
                                    "press 300 400\nmove 350 400\nmove 400 400\nrelease 400 400\n"
                                    "click 300 700\n"),
                     out, shot),
              0);
    const QList<QQuaternion> after = pointsOfView(out);
    ASSERT_EQ(after.size(), 1);
    // 100 points across a 420-point content: about 43° about the up axis.
    float degrees = 0;
    QVector3D axis;
    (after.first() * before.first().conjugated()).normalized().getAxisAndAngle(&axis, &degrees);
    EXPECT_NEAR(degrees, 100.0 * 180.0 / 420.0, 1.0);

    // Nothing moved: the drag turned the text and not the element.
    const QString frames = ql::testing::plistlib(
        out, QStringLiteral("[o['frame'] for o in d['$objects'] if isinstance(o, dict) and '$class' in o and "
                            "d['$objects'][o['$class'].data]['$classname'] == 'ZVPuttyView']"));
    EXPECT_TRUE(frames.contains(QLatin1String("{{56, 296}, {500, 200}}"))) << frames.toStdString();
    // The front colour shows within the content's rectangle on the page.
    const QImage picture(shot);
    const QRect page = pageIn(picture);
    ASSERT_GT(page.width(), 300);
    const double scale = page.width() / 612.0;
    const QRect content = QRectF(page.left() + 96 * scale, page.top() + 336 * scale, 420 * scale, 120 * scale)
                              .toAlignedRect();
    const auto [inside, outside] = bluePixels(picture, content);
    EXPECT_GT(inside, 300);
    EXPECT_EQ(outside, 0);

    // The turned page printed as a picture shows it there too.
    const QString pictures = path(QStringLiteral("pictures"));
    ASSERT_TRUE(QDir().mkpath(pictures));
    QProcess render;
    render.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/page-render"),
                 {out, pictures, QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"),
                  QStringLiteral("72")});
    ASSERT_TRUE(render.waitForFinished(60000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage printed(pictures + QStringLiteral("/out.png"));
    ASSERT_EQ(printed.size(), QSize(612, 792));
    const auto [printedInside, printedOutside] = bluePixels(printed, QRect(96, 336, 420, 120));
    EXPECT_GT(printedInside, 300);
    EXPECT_EQ(printedOutside, 0);
}
