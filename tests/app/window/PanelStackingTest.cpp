// The floating panels under a real window manager: openbox on Xvfb keeps
// each panel above its document window when that window comes to the front,
// and View's items say what the screen shows.
#include "ReplayTestSupport.h"

#include <QImage>
#include <QProcess>

namespace {

class PanelStacking : public ql::testing::ReplayFixture {};

} // namespace

TEST_F(PanelStacking, PanelsStayAboveTheirWindowAndViewTitlesFollowThem)
{
    const QString shot = path(QStringLiteral("screen.png"));
    QProcess xvfb;
    xvfb.setProcessEnvironment(environment);
    xvfb.start(QStringLiteral("xvfb-run"),
               {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1600x1200x24"),
                QStringLiteral("bash"), QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/panel_stacking.sh"),
                QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/panel-stacking"), shot});
    ASSERT_TRUE(xvfb.waitForFinished(180000));
    const QString report = QString::fromUtf8(xvfb.readAllStandardOutput());
    ASSERT_EQ(xvfb.exitCode(), 0) << xvfb.readAllStandardError().toStdString() << report.toStdString();

    for (const char* panel : {"layers", "holding", "editor", "adjustments", "gradients"}) {
        const QRegularExpression line(QStringLiteral("^%1 0x[0-9a-f]+ (\\w+)$").arg(QLatin1String(panel)),
                                      QRegularExpression::MultilineOption);
        EXPECT_EQ(line.match(report).captured(1), QStringLiteral("above")) << panel << "\n" << report.toStdString();
    }
    const QStringList titles = [&report] {
        QStringList found;
        const QRegularExpression title(QStringLiteral("^title \"(.*)\"$"), QRegularExpression::MultilineOption);
        for (auto match = title.globalMatch(report); match.hasNext();)
            found.append(match.next().captured(1));
        return found;
    }();
    EXPECT_EQ(titles, QStringList({QStringLiteral("Hide Layers"), QStringLiteral("Hide Pasteboard"),
                                   QStringLiteral("Show Layers")}));
    EXPECT_FALSE(QImage(shot).isNull()) << "the screen's picture";
}
