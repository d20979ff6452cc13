#pragma once

#include "editor_ui/ShownValueSlider.h"

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QToolButton;

namespace tavero {

class FocusReturn;
class MoviePicture;

namespace media {
class MoviePlayback;
}

// The picture of the video workspace with its inline controls: play or
// pause, a position slider and the time. It keeps one playback for the file
// it shows: showing the same file again leaves it playing where it is,
// another file pauses the old playback before the new one, which waits for
// the play button. A file that cannot be played leaves the picture empty and
// the controls disabled. The keyboard on the play button stays there
// while the button stands disabled (the window holds it meanwhile).
//
// Hidden with its window (closed to the tray, or hidden for a take), it
// lets the playback go, with its threads and pictures, and keeps only the
// file and the position; shown again, it opens the file there, paused.
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
    // The play button takes the keyboard, now or once the file can be played.
    void takeKeyboard();
    // Let go while hidden: no playback, no picture.
    bool resting() const { return resting_; }

    // The current playback; null once released.
    media::MoviePlayback* playback() const { return playback_.get(); }
    MoviePicture* picture() const { return picture_; }
    QToolButton* playButton() const { return play_; }
    ShownValueSlider* positionSlider() const { return slider_; }
    QLabel* timeLabel() const { return time_; }

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void open(const QString& url, qint64 position);
    void rest();
    void showPlayback();
    // The slider counts `milliseconds` a step.
    void countSliderIn(qint64 milliseconds);
    void togglePlaying();

    QString url_;
    qint64 sliderUnit_ = 1;
    bool resting_ = false;
    qint64 restingPosition_ = 0;
    MoviePicture* picture_ = nullptr;
    QToolButton* play_ = nullptr;
    FocusReturn* playEnabling_ = nullptr;
    ShownValueSlider* slider_ = nullptr;
    QLabel* time_ = nullptr;
    std::unique_ptr<media::MoviePlayback> playback_;
};

}  // namespace tavero
