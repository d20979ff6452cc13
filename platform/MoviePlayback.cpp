#include "platform/MoviePlayback.h"

#include "platform/RegularFile.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace tavero {

MoviePlayback::MoviePlayback(const QString& path, QObject* videoOutput, qint64 start, QObject* parent)
    : QObject(parent), path_(path), player_(new QMediaPlayer(this)), start_(start) {
    // The FFmpeg backend crashes on a sound output without a device.
    if (!QMediaDevices::defaultAudioOutput().isNull()) {
        sound_ = new QAudioOutput(this);
        player_->setAudioOutput(sound_);
    }
    player_->setVideoOutput(videoOutput);
    connect(player_, &QMediaPlayer::positionChanged, this, &MoviePlayback::changed);
    connect(player_, &QMediaPlayer::durationChanged, this, &MoviePlayback::changed);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &MoviePlayback::changed);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &MoviePlayback::statusChanged);
    connect(player_, &QMediaPlayer::errorOccurred, this, &MoviePlayback::statusChanged);
    connect(player_, &QMediaPlayer::hasVideoChanged, this, &MoviePlayback::statusChanged);
    // The backend hands a file URL to FFmpeg percent-encoded, which then
    // cannot open a name such as "录屏.mp4"; read from the file itself.
    // Anything but a regular file is refused, so a FIFO never blocks here.
    auto* file = new QFile(this);
    if (openRegularFile(*file, path)) player_->setSourceDevice(file, QUrl::fromLocalFile(path));
}

// Whoever listens may be going away too.
MoviePlayback::~MoviePlayback() {
    disconnect(player_, nullptr, this, nullptr);
    player_->stop();
    player_->setVideoOutput(static_cast<QObject*>(nullptr));
}

bool MoviePlayback::playing() const { return player_->playbackState() == QMediaPlayer::PlayingState; }

qint64 MoviePlayback::position() const { return player_->position(); }

qint64 MoviePlayback::duration() const { return playable_ ? player_->duration() : 0; }

void MoviePlayback::play() {
    if (playable_) player_->play();
}

// Only a running playback: the backend draws a picture again on every
// pause, which would land in the output after a newer video's.
void MoviePlayback::pause() {
    if (playing()) player_->pause();
}

void MoviePlayback::seek(qint64 milliseconds) {
    if (playable_) player_->setPosition(qBound<qint64>(0, milliseconds, player_->duration()));
}

// The backend reports a file it cannot open as loaded after its error, so
// an error decides for good.
void MoviePlayback::statusChanged() {
    const bool failed = player_->error() != QMediaPlayer::NoError;
    if (failed) player_->stop();
    const QMediaPlayer::MediaStatus status = player_->mediaStatus();
    const bool loaded = status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia ||
                        status == QMediaPlayer::BufferingMedia || status == QMediaPlayer::EndOfMedia;
    playable_ = !failed && loaded && player_->hasVideo();
    // A video opened paused shows its first picture rather than nothing; the
    // backend draws it only once asked to pause.
    if (playable_ && status == QMediaPlayer::LoadedMedia && player_->playbackState() == QMediaPlayer::StoppedState) {
        if (start_ > 0) player_->setPosition(qMin(start_, player_->duration()));
        player_->pause();
    }
    emit changed();
}

}  // namespace tavero
