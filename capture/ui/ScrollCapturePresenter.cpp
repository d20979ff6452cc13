#include "capture/ui/ScrollCapturePresenter.h"

#include "capture/ui/ScrollCaptureBar.h"
#include "capture/ui/ScrollRegionFrame.h"
#include "platform/desktop/DisplayScales.h"
#include "platform/desktop/WorkspaceWindows.h"

#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace tavero {

namespace {

constexpr double barWidth = 580;
constexpr double barHeight = 98;
// Between the bar and the region, and between the bar and the screen's edges.
constexpr double regionGap = 14;
constexpr double screenMargin = 12;

// The bar and the frame; closing hides them at once and deletes them once
// their events are done (the bar's button may be what finished the session).
class ScrollCaptureWindows final : public ScrollControls {
public:
    ScrollCaptureWindows(QWidget* bar, QWidget* frame) : windows_{bar, frame} {
        for (QWidget* window : windows_) {
            window->winId();
            if (QWindow* handle = window->windowHandle()) showOnEveryWorkspace(*handle);
        }
        present();
    }

    ~ScrollCaptureWindows() override {
        for (const QPointer<QWidget>& window : windows_) {
            if (!window) continue;
            window->hide();
            window->deleteLater();
        }
    }

    void present() override {
        for (const QPointer<QWidget>& window : windows_) {
            if (!window) continue;
            window->show();
            window->raise();
        }
    }

private:
    QList<QPointer<QWidget>> windows_;
};

}  // namespace

QRect ScrollCapturePresenter::barGeometry(const QRectF& region, const QRect& visible) {
    const QRectF area(visible);
    const double width = std::min(area.width() - 2 * screenMargin, barWidth);
    double top = region.bottom() + regionGap;
    if (top + barHeight > area.bottom()) top = std::max(region.top() - regionGap - barHeight, area.top() + screenMargin);
    const double left = std::min(std::max(region.center().x() - width / 2, area.left() + screenMargin),
                                 area.right() - width - screenMargin);
    return QRectF(left, top, width, barHeight).toRect();
}

std::unique_ptr<ScrollControls> ScrollCapturePresenter::open(ScrollingCapture& session, const DisplayInfo& display,
                                                              const QRectF& rect) {
    const QScreen* screen = screenShowing(display);
    if (!screen) return nullptr;
    // Qt places a screen's points at its native origin.
    const QRectF region = rect.translated(screen->geometry().topLeft());
    auto* bar = new ScrollCaptureBar(session);
    const QRect place = barGeometry(region, screen->availableGeometry());
    bar->setFixedSize(place.size());
    bar->move(place.topLeft());
    auto* frame = new ScrollRegionFrame(region.toAlignedRect());
    return std::make_unique<ScrollCaptureWindows>(bar, frame);
}

}  // namespace tavero
