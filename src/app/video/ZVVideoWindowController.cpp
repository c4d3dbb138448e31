#include "app/video/ZVVideoWindowController.h"

#include "app/AppDelegate.h"
#include "app/document/DocumentController.h"
#include "app/video/MediaVideoPlayer.h"
#include "panels/controls/ScreenPlacement.h"
#include "platform/runtime/UserDefaults.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace ql {

namespace {

const QString hideVideoKey = QStringLiteral("hideVideo");

// Tells the controller when its window is about to close, however it closes.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QWidget* window, std::function<void()> willClose) : QObject(window), m_willClose(std::move(willClose))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            m_willClose();
        return false;
    }

private:
    std::function<void()> m_willClose;
};

} // namespace

ZVVideoWindowController::ZVVideoWindowController(const QUrl& movie, DocumentController& documents, PlayerFactory factory,
                                                 QObject* parent)
    : QObject(parent), m_movie(movie), m_documents(documents), m_factory(std::move(factory))
{
    if (!m_factory)
        m_factory = [](const QUrl& url) { return std::make_unique<MediaVideoPlayer>(url); };
}

ZVVideoWindowController::~ZVVideoWindowController()
{
    // The player's view lives in the window: the window goes first.
    delete m_window;
}

QWidget* ZVVideoWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

void ZVVideoWindowController::showWindow()
{
    window()->show();
}

void ZVVideoWindowController::close()
{
    if (m_window)
        m_window->close();
}

void ZVVideoWindowController::loadWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(windowNibName());
    window->setWindowTitle(tr("Welcome to Quiverleaf"));
    m_window = window;

    m_message = new QLabel(window);
    m_message->setObjectName(QStringLiteral("messageLabel"));
    m_message->setWordWrap(true);
    m_message->hide();
    m_hideVideo = new QCheckBox(tr("Don't show at start"), window);
    m_hideVideo->setObjectName(QStringLiteral("hideVideoBox"));
    m_hideVideo->setChecked(m_documents.userDefaults().boolForKey(hideVideoKey));
    connect(m_hideVideo, &QCheckBox::toggled, this, [this](bool hide) {
        m_documents.userDefaults().setBool(hideVideoKey, hide);
        m_documents.userDefaults().synchronize();
    });
    m_openDocument = new QPushButton(tr("Open a Document…"), window);
    m_openDocument->setObjectName(QStringLiteral("openDocument:"));
    connect(m_openDocument, &QPushButton::clicked, this, &ZVVideoWindowController::openDocument);
    m_getStarted = new QPushButton(tr("Get Started"), window);
    m_getStarted->setObjectName(QStringLiteral("getStarted:"));
    m_getStarted->setDefault(true);
    connect(m_getStarted, &QPushButton::clicked, this, &ZVVideoWindowController::getStarted);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_hideVideo);
    buttons->addStretch(1);
    buttons->addWidget(m_openDocument);
    buttons->addWidget(m_getStarted);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
    window->resize(640, 440);
    const QRect screen = ScreenPlacement::availableGeometryOf(nullptr);
    ScreenPlacement::centre(*window, screen, screen);
    new CloseWatcher(window, [this] { windowWillClose(); });
    windowDidLoad();
}

void ZVVideoWindowController::windowDidLoad()
{
    m_closedVideo = false;
    m_avPlayer = m_factory(m_movie);
    // An unplayable movie says so; the buttons still lead on.
    m_avPlayer->setErrorHandler([this](const QString& message) {
        if (m_message) {
            m_message->setText(message);
            m_message->show();
        }
    });
    if (QWidget* view = m_avPlayer->view())
        static_cast<QVBoxLayout*>(m_window->layout())->insertWidget(1, view, 1);
    if (!m_avPlayer->errorString().isEmpty()) {
        m_message->setText(m_avPlayer->errorString());
        m_message->show();
    }
}

void ZVVideoWindowController::getStarted()
{
    // The chooser is shown before this window closes: closing the last
    // window first would end the program.
    if (AppDelegate* delegate = AppDelegate::shared())
        delegate->openTemplates();
    close();
}

void ZVVideoWindowController::openDocument()
{
    close();
    m_documents.openDocumentFromPanel();
}

void ZVVideoWindowController::windowWillClose()
{
    if (m_avPlayer)
        m_avPlayer->pause();
    m_closedVideo = true;
}

} // namespace ql
