#pragma once

#include "platform/ScreenSource.h"

#include <memory>

namespace tavero {

// The screen of the X server named by $DISPLAY, through our own xcb
// connection. While it lives, the root's children are redirected (automatic
// mode) through the Composite extension, so every top-level window keeps its
// own pixels even where others cover it. Owns the connection; any thread.
class X11ScreenSource final : public ScreenSource {
public:
    // Throws std::runtime_error when no X display can be opened.
    X11ScreenSource();
    ~X11ScreenSource() override;

    QList<DisplayInfo> displays() override;
    QList<WindowInfo> windows() override;
    QPoint pointer() override;
    std::optional<qint64> activeProcess() override;
    void activate(qint64 processID) override;
    QImage grabArea(const QRect& pixels, bool withCursor) override;
    QImage grab(const ContentFilter& filter, bool withCursor) override;

    bool hasComposite() const;
    bool hasSharedMemory() const;
    // Grabs through plain GetImage instead of MIT-SHM (for comparisons).
    void setUseSharedMemory(bool use);

private:
    struct Private;
    QImage grabWindow(const WindowInfo& window, bool withCursor);
    void drawCursor(QImage& image, const QPoint& imageOrigin);

    std::unique_ptr<Private> d_;
};

}  // namespace tavero
