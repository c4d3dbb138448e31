// The introduction movie's player as the video window uses it: a view with
// its own play/pause and position controls, and the few calls the window
// makes. The program plays through Qt's multimedia; tests give a fake.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace ql {

class VideoPlayer {
public:
    virtual ~VideoPlayer() = default;

    // The player view with its controls, owned by the player until it is
    // put into a window.
    virtual QWidget* view() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    // Milliseconds from the start.
    virtual qint64 position() const = 0;
    // Why the movie cannot be played; empty while nothing went wrong.
    virtual QString errorString() const = 0;
    // Called whenever the movie turns out to be unplayable.
    void setErrorHandler(std::function<void(const QString&)> handler) { m_errorHandler = std::move(handler); }

protected:
    void reportError(const QString& message) const
    {
        if (m_errorHandler)
            m_errorHandler(message);
    }

private:
    std::function<void(const QString&)> m_errorHandler;
};

} // namespace ql
