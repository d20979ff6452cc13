#pragma once

#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;

namespace tavero {

// One video file played through Qt Multimedia (see chooseMediaBackend): its
// picture goes to the video output handed in (a QVideoWidget or a
// QVideoSink), its sound to the default output device. A machine without an output device gets no sound and still
// the picture: the backend stops a player whose sound has nowhere to go, so
// such a player is given none. A file that is missing, not a regular file,
// or cannot be decoded shows nothing, has no length and never plays; it is
// no error here.
//
// Made paused at `start` milliseconds (the first picture at 0), showing that
// picture once the file has loaded; deleting it stops the sound at once.
// Main thread.
class MoviePlayback : public QObject {
    Q_OBJECT
public:
    MoviePlayback(const QString& path, QObject* videoOutput, qint64 start = 0, QObject* parent = nullptr);
    ~MoviePlayback() override;

    const QString& path() const { return path_; }
    bool playing() const;
    // Milliseconds from the start; the length is 0 until it is known.
    qint64 position() const;
    qint64 duration() const;
    // The file opened and has something to play.
    bool playable() const { return playable_; }

    void play();
    void pause();
    void seek(qint64 milliseconds);

signals:
    // The position, the length, playing or not, or playability changed.
    void changed();

private:
    void statusChanged();

    QString path_;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* sound_ = nullptr;
    qint64 start_ = 0;
    bool playable_ = false;
};

}  // namespace tavero
