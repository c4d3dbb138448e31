// The floating panels under a real window manager: openbox on Xvfb keeps
// each panel above its document window when that window comes to the front,
// and View's items say what the screen shows. The screen is no taller than a
// laptop's, so that a panel placed without its title bar would run off it.
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
               {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1100x24"),
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

    // Every window and panel opened wholly on the screen, frame included.
    const auto rect = [&report](const QString& what) {
        const QRegularExpression line(QStringLiteral("^%1 (-?\\d+) (-?\\d+) (\\d+) (\\d+)$").arg(what),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = line.match(report);
        return match.hasMatch() ? QRect(match.captured(1).toInt(), match.captured(2).toInt(),
                                        match.captured(3).toInt(), match.captured(4).toInt())
                                : QRect();
    };
    const QRect screen = rect(QStringLiteral("screen"));
    ASSERT_FALSE(screen.isEmpty()) << report.toStdString();
    for (const char* name : {"window", "layers", "holding", "editor", "adjustments", "gradients"}) {
        const QRect frame = rect(QStringLiteral("frame ") + QLatin1String(name));
        EXPECT_FALSE(frame.isEmpty()) << name << "\n" << report.toStdString();
        EXPECT_TRUE(screen.contains(frame)) << name << "\n" << report.toStdString();
    }
}
