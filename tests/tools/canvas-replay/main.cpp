// canvas-replay DOC SCRIPT OUT [--shot PNG]
// Opens the document in the real window (offscreen) at 1400 × 1000 and
// "100%", runs the script's commands with real mouse and key events on the
// canvas, saves the document to OUT and, with --shot, the window's picture.
// Alerts take their first button and file panels are cancelled. The input
// file itself is never written. Exit 0, or 1 with "line N: reason" (or
// another one-line cause); 2 for a wrong command line.
#include "ReplayScript.h"

#include "app/document/AtomicFileWriter.h"
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

using replay::Command;

int failWith(const QString& message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

// How long the window takes to settle after a zoom, in milliseconds.
constexpr int kZoomSettles = 150;

// Lets the window finish what the last command started.
void idle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

class Player {
public:
    Player(ql::Document& document, ql::DocumentWindow& window) : m_document(document), m_window(window) {}

    // An empty string when the command ran, else why it stopped.
    QString run(const Command& command);

private:
    QWidget* viewport() const { return m_window.scrollView()->viewport(); }
    QWidget* keyTarget() const
    {
        QWidget* focused = QApplication::focusWidget();
        return focused && focused->window() == &m_window ? focused : m_window.scrollView();
    }
    // The viewport position of a page point, scrolling it into view first.
    QPointF place(QPointF pagePoint)
    {
        ql::ZVScrollView* view = m_window.scrollView();
        const QRectF visible = QRectF(viewport()->rect());
        if (!visible.contains(view->mapFromPage(pagePoint)))
            view->ensureVisible(QRectF(pagePoint, QSizeF(1, 1)), 40, 40);
        return view->mapFromPage(pagePoint);
    }
    void send(QEvent::Type type, QPointF pagePoint, Qt::MouseButton button, Qt::MouseButtons held)
    {
        const QPointF local = place(pagePoint);
        QMouseEvent event(type, local, local, viewport()->mapToGlobal(local), button, held, m_modifiers);
        QApplication::sendEvent(viewport(), &event);
    }

    ql::Document& m_document;
    ql::DocumentWindow& m_window;
    Qt::KeyboardModifiers m_modifiers;
    bool m_held = false;
};

QString Player::run(const Command& command)
{
    using Kind = Command::Kind;
    switch (command.kind) {
    case Kind::Press:
        m_modifiers = command.modifiers;
        m_held = true;
        send(QEvent::MouseButtonPress, command.point, Qt::LeftButton, Qt::LeftButton);
        break;
    case Kind::Move:
        send(QEvent::MouseMove, command.point, Qt::NoButton, m_held ? Qt::LeftButton : Qt::NoButton);
        break;
    case Kind::Release:
        m_held = false;
        send(QEvent::MouseButtonRelease, command.point, Qt::LeftButton, Qt::NoButton);
        m_modifiers = {};
        break;
    case Kind::Click:
        m_modifiers = command.modifiers;
        send(QEvent::MouseButtonPress, command.point, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, command.point, Qt::LeftButton, Qt::NoButton);
        m_modifiers = {};
        break;
    case Kind::DoubleClick:
        send(QEvent::MouseButtonPress, command.point, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, command.point, Qt::LeftButton, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, command.point, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, command.point, Qt::LeftButton, Qt::NoButton);
        break;
    case Kind::Key: {
        const QKeySequence sequence = QKeySequence::fromString(command.text, QKeySequence::PortableText);
        for (int i = 0; i < sequence.count(); ++i)
            QTest::keyClick(keyTarget(), sequence[i].key(), sequence[i].keyboardModifiers());
        break;
    }
    case Kind::Type:
        QTest::keyClicks(keyTarget(), command.text);
        break;
    case Kind::Menu: {
        m_window.menus().validateMenus();
        QAction* item = m_window.menus().itemAtPath(command.text);
        if (!item || item->menu())
            return QStringLiteral("no menu item \"%1\"").arg(command.text);
        m_window.menus().validateMenuItem(item);
        if (!item->isEnabled())
            return QStringLiteral("menu item \"%1\" is disabled").arg(command.text);
        item->trigger();
        break;
    }
    case Kind::Page: {
        const qsizetype index = qsizetype(command.number) - 1;
        if (index >= m_document.pages().size())
            return QStringLiteral("there is no page %1 (%2 shown)").arg(index + 1).arg(m_document.pages().size());
        m_document.setCurrentPage(m_document.pages().at(index));
        break;
    }
    case Kind::Zoom:
        m_document.setValueForKey(u"scrollMag", QStringLiteral("%1%").arg(command.number));
        // A new zoom is followed, a tenth of a second later, by a press on
        // the page's empty area; the next command comes after it.
        QTest::qWait(kZoomSettles);
        break;
    case Kind::Undo:
        if (m_document.undoManager()->canUndo())
            m_document.undoManager()->undo();
        break;
    case Kind::Redo:
        if (m_document.undoManager()->canRedo())
            m_document.undoManager()->redo();
        break;
    case Kind::Wait:
        QTest::qWait(int(command.number));
        break;
    }
    idle();
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    ql::ignoreFileSizeLimitSignal();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quiverleaf"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));

    QStringList arguments = QApplication::arguments().mid(1);
    QString shotPath;
    const qsizetype shot = arguments.indexOf(QStringLiteral("--shot"));
    if (shot >= 0) {
        if (shot + 1 >= arguments.size()) {
            std::fprintf(stderr, "--shot needs a file\n");
            return 2;
        }
        shotPath = arguments.at(shot + 1);
        arguments.remove(shot, 2);
    }
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: canvas-replay DOC SCRIPT OUT [--shot PNG]\n");
        return 2;
    }
    const QString documentPath = arguments[0];
    const QString scriptPath = arguments[1];
    const QString outPath = arguments[2];

    QFile scriptFile(scriptPath);
    if (!scriptFile.open(QIODevice::ReadOnly))
        return failWith(QStringLiteral("cannot read the script %1").arg(scriptPath));
    const replay::ParseResult parsed = replay::parseScript(QString::fromUtf8(scriptFile.readAll()));
    if (parsed.error)
        return failWith(*parsed.error);

    // Settings, recent files and the document itself stay in a folder of
    // the run's own: the input file is never written.
    QTemporaryDir scratch;
    ql::UserDefaults::useStandardStoreAt(scratch.filePath(QStringLiteral("defaults.conf")));
    const QString working = scratch.filePath(QFileInfo(documentPath).fileName());
    if (!QFile::copy(documentPath, working))
        return failWith(QStringLiteral("cannot read the document %1").arg(documentPath));

    ql::ScriptedPrompter prompter;
    ql::DocumentController controller;
    controller.setPrompter(&prompter);
    controller.setAutosaveDelay(24 * 3600 * 1000);
    const ql::Result<ql::Document*> opened = controller.openDocumentWithContentsOfFile(working);
    if (!opened)
        return failWith(QStringLiteral("cannot open %1: %2").arg(documentPath, opened.error().message));
    ql::Document& document = **opened;
    auto* window = qobject_cast<ql::DocumentWindow*>(document.documentWindow());
    if (!window)
        return failWith(QStringLiteral("the document has no window"));
    window->resize(1400, 1000);
    idle();
    document.setValueForKey(u"scrollMag", QStringLiteral("100%"));
    window->scrollView()->setFocus();
    QTest::qWait(kZoomSettles);
    idle();

    Player player(document, *window);
    for (const Command& command : parsed.commands) {
        const QString problem = player.run(command);
        if (!problem.isEmpty())
            return failWith(QStringLiteral("line %1: %2").arg(command.line).arg(problem));
    }

    if (const ql::Status saved = controller.saveDocumentToFile(&document, outPath); !saved)
        return failWith(QStringLiteral("cannot save %1: %2").arg(outPath, saved.error().message));
    if (!shotPath.isEmpty() && !window->grab().save(shotPath, "PNG"))
        return failWith(QStringLiteral("cannot write the picture %1").arg(shotPath));
    controller.setPrompter(nullptr);
    return 0;
}
