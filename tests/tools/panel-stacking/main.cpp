// panel-stacking [--shot PNG]
// Run on an X server with a window manager (QT_QPA_PLATFORM=xcb). Opens a new
// document in its window, shows its floating panels (layers, holding area,
// image editor and its adjustments, gradients), brings the document window
// to the front again and prints, from the window manager's stacking order
// (`xprop -root _NET_CLIENT_LIST_STACKING`, bottom to top):
//   window 0xID
//   NAME 0xID above|below|unlisted      (one line a panel)
//   title "TEXT"                         (View's layers and holding-area items)
//   screen X Y W H                       (the free part of the window's screen)
//   frame NAME X Y W H                   (the window's and each shown panel's
//                                         frame, title bar included)
// then closes the layers panel as its title bar would and prints View's
// layers item again. With --shot, the screen's picture after the raise.
// Exit 0 when it ran (the caller judges the lines), 1 when it could not.
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "panels/ZVImageEditorViewController.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/gradients/GPGradientPanel.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/imageedit/ImageAdjustPanel.h"
#include "panels/imageedit/ImageEditView.h"
#include "panels/inspectors/ZVTextSettingsController.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

// The client windows the window manager lists, bottom to top.
QList<quint64> stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    if (!xprop.waitForFinished(10000))
        return {};
    QList<quint64> ids;
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto match = hex.globalMatch(out); match.hasNext();)
        ids.append(match.next().captured().toULongLong(nullptr, 16));
    return ids;
}

// Lets the window manager map, stack and settle what was just asked.
void settle()
{
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(50);
        QApplication::processEvents();
    }
}

void printTitle(ql::DocumentWindow& window, const char* selector)
{
    QAction* item = window.menus().item(QString::fromLatin1(selector));
    if (!item)
        return;
    window.menus().validateMenuItem(item);
    std::printf("title \"%s\"\n", qPrintable(item->text()));
}

void printRect(const char* what, const QRect& rect)
{
    std::printf("%s %d %d %d %d\n", what, rect.x(), rect.y(), rect.width(), rect.height());
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quiverleaf"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));
    const QStringList arguments = QApplication::arguments().mid(1);
    QString shotPath;
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--shot")) {
        shotPath = arguments[1];
    } else if (!arguments.isEmpty()) {
        std::fprintf(stderr, "usage: panel-stacking [--shot PNG]\n");
        return 2;
    }

    // Static, made before the settings store: the folder goes after it does.
    static QTemporaryDir scratch;
    ql::UserDefaults::useStandardStoreAt(scratch.filePath(QStringLiteral("defaults.conf")));
    ql::ZVDesignHelper::sharedInstance().setDefaults();
    ql::ScriptedPrompter prompter;
    ql::DocumentController controller;
    controller.setPrompter(&prompter);
    ql::Document* document = controller.newDocument();
    auto* window = document ? qobject_cast<ql::DocumentWindow*>(document->documentWindow()) : nullptr;
    if (!window)
        return fail(QStringLiteral("no document window"));
    if (!QTest::qWaitForWindowExposed(window, 10000))
        return fail(QStringLiteral("the document window never showed"));
    settle();

    // The panels as a user brings them up: the layers panel shows with a new
    // document; View shows the holding area; the image editor, its
    // adjustments and a gradient well's panel come from their own controls.
    const ql::DocumentWindow::Outlets& outlets = window->outlets();
    if (!outlets.pasteboardPanel->isVisible())
        window->togglePasteboardVisible();
    window->editImage(nullptr);
    settle();
    window->controllers().imageEditorViewController->editProperties();
    // A text box selected, so that its inspector's gradient well takes clicks.
    window->controllers().textContentVC->insertText(nullptr);
    settle();
    QWidget* textInspector = window->controllers().textSettingsController->view();
    auto* well = textInspector ? textInspector->findChild<ql::GPGradientWell*>() : nullptr;
    if (!well)
        return fail(QStringLiteral("no gradient well in the text inspector"));
    well->activate();
    settle();

    // The user clicks the document window: it comes to the front.
    window->raise();
    window->activateWindow();
    settle();

    const QList<quint64> order = stacking();
    if (order.isEmpty())
        return fail(QStringLiteral("xprop listed no windows"));
    const qsizetype windowAt = order.indexOf(quint64(window->winId()));
    std::printf("window 0x%llx\n", static_cast<unsigned long long>(window->winId()));
    const std::pair<const char*, QWidget*> panels[] = {
        {"layers", outlets.layoutLayerPanel},
        {"holding", outlets.pasteboardPanel},
        {"editor", outlets.editImagePanel},
        {"adjustments", ql::ImageAdjustPanel::sharedImageEditPanel()},
        {"gradients", &ql::GPGradientPanel::shared()},
    };
    for (const auto& [name, panel] : panels) {
        const qsizetype at = panel->isVisible() ? order.indexOf(quint64(panel->winId())) : -1;
        const char* where = at < 0 || windowAt < 0 ? "unlisted" : at > windowAt ? "above" : "below";
        std::printf("%s 0x%llx %s\n", name, static_cast<unsigned long long>(panel->winId()), where);
    }
    printTitle(*window, "toggleLayoutLayersPanel:");
    printTitle(*window, "togglePasteboardVisible:");
    printRect("screen", window->screen()->availableGeometry());
    printRect("frame window", window->frameGeometry());
    for (const auto& [name, panel] : panels) {
        if (panel->isVisible())
            printRect(qPrintable(QStringLiteral("frame %1").arg(QLatin1String(name))), panel->frameGeometry());
    }
    if (!shotPath.isEmpty()) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen || !screen->grabWindow(0).save(shotPath, "PNG"))
            return fail(QStringLiteral("cannot write the picture %1").arg(shotPath));
    }

    // Closed from its title bar, the panel's item offers to show it again.
    outlets.layoutLayerPanel->close();
    settle();
    printTitle(*window, "toggleLayoutLayersPanel:");
    std::fflush(stdout);
    well->deactivate();
    controller.setPrompter(nullptr);
    return 0;
}
