// The introduction video's window: the movie with its controls, "Get
// Started" (the template chooser) and "Open a Document…", and a box that
// keeps the video from showing when documents open. The window and its
// player are made the first time the window is needed, so start-up loads no
// multimedia. Closing it pauses the movie and keeps later documents of the
// run from showing it again.
#pragma once

#include "app/video/VideoPlayer.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace ql {

class DocumentController;

class ZVVideoWindowController : public QObject {
    Q_OBJECT
public:
    using PlayerFactory = std::function<std::unique_ptr<VideoPlayer>(const QUrl& movie)>;

    // The user defaults and the open panel are the controller's. Without a factory the movie plays through Qt's multimedia.
    ZVVideoWindowController(const QUrl& movie, DocumentController& documents, PlayerFactory factory = {},
                            QObject* parent = nullptr);
    ~ZVVideoWindowController() override;

    static QString windowNibName() { return QStringLiteral("ZVVideoWindowController"); }

    void showWindow();
    // The window, made (with its player) on first request.
    QWidget* window();
    bool isWindowLoaded() const { return !m_window.isNull(); }
    void close();

    VideoPlayer* avPlayer() const { return m_avPlayer.get(); }
    bool closedVideo() const { return m_closedVideo; }

    void getStarted();
    void openDocument();
    void windowWillClose();

    QPushButton* getStartedButton() { window(); return m_getStarted; }
    QPushButton* openDocumentButton() { window(); return m_openDocument; }
    QCheckBox* hideVideoBox() { window(); return m_hideVideo; }
    QLabel* messageLabel() { window(); return m_message; }

private:
    void windowDidLoad();
    void loadWindow();

    QUrl m_movie;
    DocumentController& m_documents;
    PlayerFactory m_factory;
    QPointer<QWidget> m_window;
    std::unique_ptr<VideoPlayer> m_avPlayer;
    QPushButton* m_getStarted = nullptr;
    QPushButton* m_openDocument = nullptr;
    QCheckBox* m_hideVideo = nullptr;
    QLabel* m_message = nullptr;
    bool m_closedVideo = false;
};

} // namespace ql
