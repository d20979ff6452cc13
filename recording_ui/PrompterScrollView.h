#pragma once

#include <QPointer>
#include <QTextEdit>
#include <QTimer>

namespace tavero {

class RecordingStudio;

// The teleprompter's text: the studio's notes (or a placeholder) in white,
// selectable but not editable, scrolling up by itself at the studio's speed
// while `notesScrolling` is set, the take records or the preview is open,
// and the panel is on screen. The end of the notes stops the scrolling.
//
// The offset is kept in fractions of a point: a tick moves speed / 30
// points, less than one at the usual speeds. Owns its 1/30 s timer.
// Observes the studio, which may go first. Main thread.
class PrompterScrollView : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int ticksPerSecond = 30;

    explicit PrompterScrollView(RecordingStudio& studio, QWidget* parent = nullptr);

    // Applies the studio's text, size and rewind counter.
    void refresh();
    // One step of the scrolling; the timer calls it.
    void tick();

    // Where the text stands: points scrolled from the top.
    double offset() const { return offset_; }
    // How far the text can scroll.
    double end() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void insetText();
    void scrollTo(double offset);
    bool shouldScroll() const;

    QPointer<RecordingStudio> studio_;
    QTimer timer_;
    // The notesReset last applied; none at first, so the first update rewinds.
    int resetID_ = -1;
    double offset_ = 0;
    QString shownText_;
    double shownSize_ = 0;
};

}  // namespace tavero
