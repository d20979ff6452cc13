#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <memory>
#include <thread>

namespace tavero::media {

struct MovieFrame;
class MovieDecoding;
struct MovieShared;

// One video file played with its sound. A thread of its own reads and
// decodes the file ahead (MovieDecoder) and plays the sound through a
// PulseAudio stream of its own (SoundOutput); the pictures are shown on
// the main thread as the clock reaches them (picture()), and the clock
// follows the sound that is heard (PlaybackClock).
//
// Nothing waits for the sound server. Without one the video plays silently;
// a server that goes away mid-play leaves the pictures running on, silent,
// and one that comes back is found again within a few seconds of playing
// (and at every play). A file that is missing, not a regular file, or
// cannot be decoded shows nothing, has no length and never plays; it is no
// error here.
//
// Made paused at `start` milliseconds, showing that picture once the file
// has opened. Deleting it stops the sound at once and ends its threads.
// Main thread.
class MoviePlayback : public QObject {
    Q_OBJECT
public:
    explicit MoviePlayback(const QString& path, qint64 start = 0, QObject* parent = nullptr);
    ~MoviePlayback() override;

    const QString& path() const { return path_; }
    bool playing() const { return playing_; }
    // Milliseconds from the start; the length is 0 until it is known.
    qint64 position() const;
    qint64 duration() const { return duration_; }
    // The file opened and has a picture to show.
    bool playable() const { return playable_; }
    // The picture showing now, made to fit the bounds asked for; null before
    // the first one and for a file that cannot be played.
    const QImage& picture() const { return picture_; }
    // Pictures from now on fit into `bounds` (device pixels), the one
    // showing too; empty bounds give the video's own size.
    void setPictureBounds(QSize bounds);

    // Plays on from where it stands; at the end (played or moved to it),
    // from the start again.
    void play();
    void pause();
    void seek(qint64 milliseconds);

signals:
    // The position, the length, playing or not, or playability changed.
    void changed();
    void pictureChanged();

private:
    void opened(qint64 duration, QSize size, int turn, bool sound);
    // Shows the picture due now, ends a video played to its end, and
    // schedules the next look.
    void present();
    void show(std::shared_ptr<MovieFrame> frame, QImage image);
    void stopAtEnd();

    QString path_;
    bool playable_ = false;
    bool playing_ = false;
    bool sound_ = false;
    bool atEnd_ = false;
    qint64 duration_ = 0;
    QSize size_;
    int turn_ = 0;
    QSize bounds_;
    QImage picture_;
    double pictureTime_ = 0;
    std::shared_ptr<MovieFrame> pictureFrame_;
    // The seek whose first picture shows; -1 before any.
    int shownGeneration_ = -1;
    QTimer tick_;
    std::unique_ptr<MovieShared> shared_;
    std::unique_ptr<MovieDecoding> decoding_;
    std::thread thread_;
};

}  // namespace tavero::media
