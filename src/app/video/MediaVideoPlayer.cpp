#include "app/video/MediaVideoPlayer.h"

#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace ql {

MediaVideoPlayer::MediaVideoPlayer(const QUrl& movie, QObject* parent)
    : QObject(parent), m_player(new QMediaPlayer(this)), m_view(new QWidget)
{
    m_view->setObjectName(QStringLiteral("avPlayerView"));
    m_video = new QVideoWidget(m_view);
    m_video->setMinimumSize(320, 180);
    m_playButton = new QPushButton(tr("Play"), m_view);
    m_playButton->setObjectName(QStringLiteral("playButton"));
    m_position = new QSlider(Qt::Horizontal, m_view);
    m_position->setObjectName(QStringLiteral("positionSlider"));
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_playButton);
    controls->addWidget(m_position, 1);
    auto* layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_video, 1);
    layout->addLayout(controls);

    m_player->setVideoOutput(m_video);
    connect(m_playButton, &QPushButton::clicked, this, [this] { isPlaying() ? pause() : play(); });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState state) {
        m_playButton->setText(state == QMediaPlayer::PlayingState ? tr("Pause") : tr("Play"));
    });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        m_position->setRange(0, int(duration));
    });
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        if (!m_position->isSliderDown())
            m_position->setValue(int(position));
    });
    connect(m_position, &QSlider::sliderMoved, m_player, [this](int position) { m_player->setPosition(position); });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString& text) {
        fail(text.isEmpty() ? tr("The introduction movie cannot be played.") : text);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia)
            fail(tr("The introduction movie cannot be played."));
    });
    if (movie.isEmpty())
        fail(tr("The introduction movie is missing."));
    else
        m_player->setSource(movie);
}

MediaVideoPlayer::~MediaVideoPlayer()
{
    // The view outlives no window it was never put in.
    if (m_view && !m_view->parent())
        delete m_view;
}

void MediaVideoPlayer::play()
{
    if (m_error.isEmpty())
        m_player->play();
}

void MediaVideoPlayer::pause()
{
    m_player->pause();
}

bool MediaVideoPlayer::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 MediaVideoPlayer::position() const
{
    return m_player->position();
}

void MediaVideoPlayer::fail(const QString& message)
{
    if (!m_error.isEmpty())
        return;
    m_error = message;
    m_playButton->setEnabled(false);
    reportError(message);
}

} // namespace ql
