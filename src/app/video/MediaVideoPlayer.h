// The introduction movie played by Qt's media player into a video widget,
// with a play/pause button and a position slider under it. Nothing plays
// until the user starts it.
#pragma once

#include "app/video/VideoPlayer.h"

#include <QObject>
#include <QPointer>

class QMediaPlayer;
class QPushButton;
class QSlider;
class QVideoWidget;

namespace ql {

class MediaVideoPlayer : public QObject, public VideoPlayer {
    Q_OBJECT
public:
    explicit MediaVideoPlayer(const QUrl& movie, QObject* parent = nullptr);
    ~MediaVideoPlayer() override;

    QWidget* view() override { return m_view; }
    void play() override;
    void pause() override;
    bool isPlaying() const override;
    qint64 position() const override;
    QString errorString() const override { return m_error; }

    QMediaPlayer* mediaPlayer() const { return m_player; }

private:
    void fail(const QString& message);

    QMediaPlayer* m_player;
    QPointer<QWidget> m_view;
    QVideoWidget* m_video = nullptr;
    QPushButton* m_playButton = nullptr;
    QSlider* m_position = nullptr;
    QString m_error;
};

} // namespace ql
