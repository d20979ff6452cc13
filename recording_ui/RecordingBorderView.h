#pragma once

#include "recording_ui/FloatingPanel.h"

namespace tavero {

// The window that outlines the recorded area: a 2-point rounded line, red
// while recording and yellow while the take pauses, lying on the area's
// edge. The window is cut to a ring around the line (so nothing of it
// covers the area inside, also without a compositing manager) and lets
// every click through to the windows below. Main thread.
class RecordingBorderView : public FloatingPanel {
    Q_OBJECT
public:
    // How far the window reaches beyond the recorded area on every side.
    static constexpr double outset = 2;

    explicit RecordingBorderView(QWidget* parent = nullptr);

    bool paused() const { return paused_; }
    void setPaused(bool paused);
    // The colour the line is drawn in now.
    QColor lineColor() const;
    // What of the window is left once cut to the ring, in its own points.
    static QRegion ring(const QSize& size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool paused_ = false;
};

}  // namespace tavero
