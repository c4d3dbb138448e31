// canvas-replay DOC SCRIPT OUT [--shot PNG] [--defaults FILE] [--times]
// Starts as the program does (the user defaults of a fresh profile, or with
// --defaults those kept in FILE, which the run leaves there), opens
// the document in the real window (offscreen) at 1400 × 1000 and "100%",
// runs the script's commands with real mouse and key events on the canvas,
// saves the document to OUT and, with --shot, the window's picture. Alerts
// take their first button and file panels are cancelled; each alert asked
// is printed on standard output as "alert: MESSAGE". The input file itself
// is never written: the window works on a copy, which `save` saves, `close`
// closes (asking as the program does) and `reopen` opens again; `save PATH`
// writes a copy of the document there and leaves it as it was; `tool N`
// clicks segment N of the drawing-tool bar (0 select … 8 delete point);
// `master A` (or `master None`) chooses in the page inspector's "Master
// Page" popup; `drop X Y FILE` drops the file's contents on the page at
// that point as a drag from another program brings them (RTF, HTML, PNG or
// JPEG by the file's extension); `dropfile X Y FILE` drops the file itself
// there, as a drag from the file manager does; `field NAME TEXT` types the
// text into the shown text field of that name and presses Return; `default
// KEY TEXT` sets the user default KEY to the text, as a preferences file
// would hold it. With --times each command's time is printed as
// "time: line N: MS ms": the command and the window's repaint after it
// (without a zoom's settling wait), not what the window defers past it.
// Exit 0, or 1 with "line N: reason" (or another one-line cause); 2 for a
// wrong command line.
#include "ReplayScript.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/controls/SegmentedControl.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
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

// Lets the window finish what the last command started, and frees what it
// let go of (deleteLater), as the program's event loop does between two
// events: processEvents() alone never does.
void idle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Text of a button or menu item as shown, without its mnemonic marks.
QString shownText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

class Player {
public:
    Player(ql::DocumentController& controller, ql::ScriptedPrompter& prompter)
        : m_controller(controller), m_prompter(prompter)
    {
    }

    // Opens the document in its window, sized and zoomed for the script; an
    // empty string, else why it did not open.
    QString open(const QString& path);
    // An empty string when the command ran, else why it stopped.
    QString run(const Command& command);
    // Prints the alerts asked since the last call.
    void reportAlerts();
    void setTiming(bool timing) { m_timing = timing; }

    ql::Document* document() const { return m_document; }
    ql::DocumentWindow* window() const { return m_window; }

private:
    QString runOnDocument(const Command& command);
    QString clickButton(const QString& path);
    QString chooseMaster(const QString& title);
    void dropFileItself(QPointF pagePoint, const QString& path);
    QString fillField(const QString& name, const QString& text);
    QWidget* viewport() const { return m_window->scrollView()->viewport(); }
    QWidget* keyTarget() const
    {
        QWidget* focused = QApplication::focusWidget();
        return focused && focused->window() == m_window.data() ? focused : m_window->scrollView();
    }
    void typeText(const QString& text);
    QString dropFile(QPointF pagePoint, const QString& path);
    // The viewport position of a page point, scrolling it into view first.
    QPointF place(QPointF pagePoint)
    {
        ql::ZVScrollView* view = m_window->scrollView();
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

    ql::DocumentController& m_controller;
    ql::ScriptedPrompter& m_prompter;
    QPointer<ql::Document> m_document;
    QPointer<ql::DocumentWindow> m_window;
    // The file of the document last closed, for `reopen`.
    QString m_closedPath;
    qsizetype m_alertsReported = 0;
    Qt::KeyboardModifiers m_modifiers;
    bool m_held = false;
    bool m_timing = false;
};

QString Player::open(const QString& path)
{
    const ql::Result<ql::Document*> opened = m_controller.openDocumentWithContentsOfFile(path);
    if (!opened)
        return QStringLiteral("cannot open %1: %2").arg(path, opened.error().message);
    m_document = *opened;
    m_window = qobject_cast<ql::DocumentWindow*>(m_document->documentWindow());
    if (!m_window)
        return QStringLiteral("the document has no window");
    m_window->resize(1400, 1000);
    idle();
    m_document->setValueForKey(u"scrollMag", QStringLiteral("100%"));
    m_window->scrollView()->setFocus();
    QTest::qWait(kZoomSettles);
    idle();
    return {};
}

void Player::reportAlerts()
{
    for (; m_alertsReported < m_prompter.alerts.size(); ++m_alertsReported)
        std::printf("alert: %s\n", qPrintable(m_prompter.alerts.at(m_alertsReported).messageText));
    std::fflush(stdout);
}

// Each character as a key event carrying it, so text of any script reaches
// the edited box; plain ASCII keeps the keys a keyboard would send.
void Player::typeText(const QString& text)
{
    for (const char32_t code : text.toUcs4()) {
        if (code < 0x80) {
            QTest::keyClick(keyTarget(), char(code));
            continue;
        }
        const QString character = QString::fromUcs4(&code, 1);
        const char32_t upper = QChar::toUpper(code);
        const Qt::Key key = upper <= 0xffff ? Qt::Key(upper) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, keyTarget(), key, character, Qt::NoModifier);
    }
}

QString Player::dropFile(QPointF pagePoint, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(path);
    static const QHash<QString, QString> types {{QStringLiteral("rtf"), QStringLiteral("text/rtf")},
                                                {QStringLiteral("html"), QStringLiteral("text/html")},
                                                {QStringLiteral("png"), QStringLiteral("image/png")},
                                                {QStringLiteral("jpg"), QStringLiteral("image/jpeg")}};
    const QString type = types.value(QFileInfo(path).suffix().toLower());
    if (type.isEmpty())
        return QStringLiteral("no drag type for %1").arg(path);
    QMimeData data;
    data.setData(type, file.readAll());
    const QPoint local = place(pagePoint).toPoint();
    QDragEnterEvent enter(local, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &enter);
    if (!enter.isAccepted())
        return QStringLiteral("the page refuses %1").arg(type);
    QDropEvent drop(QPointF(local), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &drop);
    return drop.isAccepted() ? QString() : QStringLiteral("the page did not take the dropped %1").arg(type);
}

// A visible button of the document's windows by its title, tool tip or
// name; "NAME/ITEM" chooses ITEM from the button's menu instead.
QString Player::clickButton(const QString& path)
{
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? path : path.left(slash);
    const QString itemTitle = slash < 0 ? QString() : path.mid(slash + 1);
    QAbstractButton* found = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
            if (button->isVisible()
                && (shownText(button->text()) == name || button->toolTip() == name || button->objectName() == name)) {
                found = button;
                break;
            }
        }
        if (found)
            break;
    }
    if (!found)
        return QStringLiteral("no button \"%1\" is shown").arg(name);
    if (!found->isEnabled())
        return QStringLiteral("button \"%1\" is disabled").arg(name);
    if (itemTitle.isEmpty()) {
        QTest::mouseClick(found, Qt::LeftButton, {}, found->rect().center());
        return {};
    }
    // The menu is not popped up: its item is chosen as a user would.
    auto* tool = qobject_cast<QToolButton*>(found);
    auto* push = qobject_cast<QPushButton*>(found);
    QMenu* menu = tool ? tool->menu() : push ? push->menu() : nullptr;
    if (!menu)
        return QStringLiteral("button \"%1\" has no menu").arg(name);
    for (QAction* item : menu->actions()) {
        if (shownText(item->text()) == itemTitle) {
            if (!item->isEnabled())
                return QStringLiteral("menu item \"%1\" is disabled").arg(path);
            item->trigger();
            return {};
        }
    }
    return QStringLiteral("no menu item \"%1\"").arg(path);
}

// The page inspector's master popup, chosen as a user picks an item.
QString Player::chooseMaster(const QString& title)
{
    auto* popup = m_window->findChild<QComboBox*>(QStringLiteral("masterPage"));
    if (!popup)
        return QStringLiteral("there is no master page popup");
    if (!popup->isEnabled())
        return QStringLiteral("the master page popup is disabled");
    const int index = popup->findText(title);
    if (index < 0)
        return QStringLiteral("the master page popup has no \"%1\"").arg(title);
    popup->setCurrentIndex(index);
    emit popup->activated(index);
    return {};
}

// A drag from another program: it enters, moves and is dropped at the point.
void Player::dropFileItself(QPointF pagePoint, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())});
    const QPointF at = place(pagePoint);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport(), &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport(), &drop);
}

QString Player::fillField(const QString& name, const QString& text)
{
    QLineEdit* found = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (QLineEdit* field : top->findChildren<QLineEdit*>(name)) {
            if (field->isVisible())
                found = field;
        }
    }
    if (!found)
        return QStringLiteral("no text field \"%1\" is shown").arg(name);
    found->setFocus();
    found->clear();
    QTest::keyClicks(found, text);
    QTest::keyClick(found, Qt::Key_Return);
    return {};
}

QString Player::run(const Command& command)
{
    using Kind = Command::Kind;
    QString problem;
    if (command.kind == Kind::Reopen) {
        if (m_document)
            problem = QStringLiteral("the document is still open");
        else
            problem = open(m_closedPath);
    } else if (!m_document || !m_window) {
        problem = QStringLiteral("the document is closed");
    } else {
        QElapsedTimer clock;
        clock.start();
        problem = runOnDocument(command);
        if (m_timing) {
            // Delivers the repaint the command asked for.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents();
            std::printf("time: line %d: %.1f ms\n", command.line, double(clock.nsecsElapsed()) / 1e6);
        }
        // A new zoom is followed, a tenth of a second later, by a press on
        // the page's empty area; the next command comes after it.
        if (command.kind == Command::Kind::Zoom)
            QTest::qWait(kZoomSettles);
        // Work the command left running off the window's thread (a flip of
        // a large scan) ends before the next command, as a user waits for
        // its progress panel to go.
        while (m_window && m_window->runsLongWork())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    idle();
    reportAlerts();
    return problem;
}

QString Player::runOnDocument(const Command& command)
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
        typeText(command.text);
        break;
    case Kind::Menu:
    case Kind::Checked: {
        m_window->menus().validateMenus();
        QAction* item = m_window->menus().itemAtPath(command.text);
        if (!item || item->menu())
            return QStringLiteral("no menu item \"%1\"").arg(command.text);
        m_window->menus().validateMenuItem(item);
        if (command.kind == Kind::Checked)
            return item->isChecked() ? QString() : QStringLiteral("menu item \"%1\" is not checked").arg(command.text);
        if (!item->isEnabled())
            return QStringLiteral("menu item \"%1\" is disabled").arg(command.text);
        item->trigger();
        break;
    }
    case Kind::Button:
        return clickButton(command.text);
    case Kind::Master:
        return chooseMaster(command.text);
    case Kind::DropFile:
        dropFileItself(command.point, command.text);
        break;
    case Kind::Field:
        return fillField(command.name, command.text);
    case Kind::Default:
        ql::ZVDesignHelper::sharedInstance().defaults().setObject(command.name, command.text);
        break;
    case Kind::Save: {
        // A path gets a copy: the document keeps its own file and its edited state.
        ql::Status saved;
        if (command.text.isEmpty()) {
            saved = m_controller.saveDocument(m_document);
        } else {
            const ql::Result<QByteArray> data = m_document->dataOfType(ql::kDesktopDocumentType);
            saved = data ? ql::writeFileAtomically(command.text, *data) : ql::Status(data.error());
        }
        if (!saved)
            return QStringLiteral("cannot save: %1").arg(saved.error().message);
        break;
    }
    case Kind::Close:
        m_closedPath = m_document->filePath();
        if (!m_controller.closeDocument(m_document))
            return QStringLiteral("the document did not close");
        m_document = nullptr;
        m_window = nullptr;
        break;
    case Kind::Reopen:
        break;
    case Kind::Page: {
        const qsizetype index = qsizetype(command.number) - 1;
        if (index >= m_document->pages().size())
            return QStringLiteral("there is no page %1 (%2 shown)").arg(index + 1).arg(m_document->pages().size());
        m_document->setCurrentPage(m_document->pages().at(index));
        break;
    }
    case Kind::Zoom:
        m_document->setValueForKey(u"scrollMag", QStringLiteral("%1%").arg(command.number));
        break;
    case Kind::Undo:
        if (m_document->undoManager()->canUndo())
            m_document->undoManager()->undo();
        break;
    case Kind::Redo:
        if (m_document->undoManager()->canRedo())
            m_document->undoManager()->redo();
        break;
    case Kind::Wait:
        QTest::qWait(int(command.number));
        break;
    case Kind::Drop:
        return dropFile(command.point, command.text);
    case Kind::Tool: {
        auto* tools = m_window->findChild<ql::SegmentedControl*>(QStringLiteral("drawingTools"));
        QToolButton* segment = tools ? tools->button(int(command.number)) : nullptr;
        if (!segment)
            return QStringLiteral("there is no tool %1").arg(command.number);
        if (!segment->isEnabled())
            return QStringLiteral("tool %1 is disabled").arg(command.number);
        QTest::mouseClick(segment, Qt::LeftButton, {}, segment->rect().center());
        break;
    }
    }
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
    // An option and the file after it, taken out of the arguments.
    const auto takeFileOption = [&arguments](const QString& option, QString& file) {
        const qsizetype at = arguments.indexOf(option);
        if (at < 0)
            return true;
        if (at + 1 >= arguments.size()) {
            std::fprintf(stderr, "%s needs a file\n", qPrintable(option));
            return false;
        }
        file = arguments.at(at + 1);
        arguments.remove(at, 2);
        return true;
    };
    QString shotPath;
    QString defaultsPath;
    const bool timing = arguments.removeAll(QStringLiteral("--times")) > 0;
    if (!takeFileOption(QStringLiteral("--shot"), shotPath) || !takeFileOption(QStringLiteral("--defaults"), defaultsPath))
        return 2;
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: canvas-replay DOC SCRIPT OUT [--shot PNG] [--defaults FILE] [--times]\n"
                             "script commands, one a line (points in page points, y down):\n"
                             "  press|click X Y [shift] [ctrl] [alt]    move|release|dclick X Y\n"
                             "  key SEQUENCE    type TEXT    menu Menu/Item    checked Menu/Item\n"
                             "  button TITLE[/ITEM]    master LETTER|None    tool SEGMENT\n"
                             "  save [PATH]    close    reopen    page N    zoom PERCENT    wait MS\n"
                             "  undo    redo    drop X Y FILE    dropfile X Y FILE    field NAME TEXT    default KEY TEXT\n");
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
    // the run's own: the input file is never written. Static, made before
    // the settings store: the folder goes after the store does.
    static QTemporaryDir scratch;
    ql::UserDefaults::useStandardStoreAt(defaultsPath.isEmpty() ? scratch.filePath(QStringLiteral("defaults.conf"))
                                                                 : defaultsPath);
    ql::ZVDesignHelper::sharedInstance().setDefaults();
    const QString working = scratch.filePath(QFileInfo(documentPath).fileName());
    if (!QFile::copy(documentPath, working))
        return failWith(QStringLiteral("cannot read the document %1").arg(documentPath));

    ql::ScriptedPrompter prompter;
    ql::DocumentController controller;
    controller.setPrompter(&prompter);
    controller.setAutosaveDelay(24 * 3600 * 1000);
    Player player(controller, prompter);
    player.setTiming(timing);
    if (const QString problem = player.open(working); !problem.isEmpty())
        return failWith(problem);

    for (const Command& command : parsed.commands) {
        const QString problem = player.run(command);
        if (!problem.isEmpty())
            return failWith(QStringLiteral("line %1: %2").arg(command.line).arg(problem));
    }
    if (!player.document())
        return failWith(QStringLiteral("the script ends with the document closed"));

    if (const ql::Status saved = controller.saveDocumentToFile(player.document(), outPath); !saved)
        return failWith(QStringLiteral("cannot save %1: %2").arg(outPath, saved.error().message));
    if (!shotPath.isEmpty() && !player.window()->grab().save(shotPath, "PNG"))
        return failWith(QStringLiteral("cannot write the picture %1").arg(shotPath));
    controller.setPrompter(nullptr);
    return 0;
}
