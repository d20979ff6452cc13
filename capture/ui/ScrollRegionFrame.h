#pragma once

#include <QWidget>

namespace tavero {

// The green frame of a scrolling screenshot: a 2-point line just outside
// the captured region. The window is cut to the line itself and lets every
// click through, so the region inside keeps the page's own pixels in every
// grab and the page keeps the pointer. Main thread.
class ScrollRegionFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int lineWidth = 2;

    // `region` in desktop points.
    explicit ScrollRegionFrame(const QRect& region, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace tavero
