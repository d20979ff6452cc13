#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QSlider;
class QToolButton;
class QVideoWidget;

namespace tavero {

class MoviePlayback;

// The picture of the video workspace with its inline controls: play or
// pause, a position slider and the time. It keeps one playback for the file
// it shows: showing the same file again leaves it playing where it is,
// another file pauses the old playback before the new one, which waits for
// the play button. A file that cannot be played leaves the picture empty and
// the controls disabled.
//
// Main thread; its playback lives and dies with it.
class MoviePlayer : public QWidget {
    Q_OBJECT
public:
    explicit MoviePlayer(const QString& url, QWidget* parent = nullptr);
    ~MoviePlayer() override;

    void setUrl(const QString& url);
    // Pauses and lets the playback go, as when the workspace closes.
    void release();

    // The current playback; null once released.
    MoviePlayback* playback() const { return playback_.get(); }
    QToolButton* playButton() const { return play_; }
    QSlider* positionSlider() const { return slider_; }
    QLabel* timeLabel() const { return time_; }

private:
    void showPlayback();
    void togglePlaying();

    QVideoWidget* picture_ = nullptr;
    QToolButton* play_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* time_ = nullptr;
    std::unique_ptr<MoviePlayback> playback_;
};

}  // namespace tavero
