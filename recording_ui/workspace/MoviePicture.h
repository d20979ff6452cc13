#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace tavero {

namespace media {
class MoviePlayback;
}

// The picture of a playback, in the middle of a black area: the playback
// makes each picture to fit it, and this only paints it. Shows nothing
// without a playback or before its first picture. Main thread.
class MoviePicture : public QWidget {
    Q_OBJECT
public:
    explicit MoviePicture(QWidget* parent = nullptr);

    void showPlayback(media::MoviePlayback* playback);
    // What it paints; null when nothing.
    QImage shown() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize bounds() const;

    QPointer<media::MoviePlayback> playback_;
};

}  // namespace tavero
