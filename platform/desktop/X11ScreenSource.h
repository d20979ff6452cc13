#pragma once

#include "platform/desktop/ScreenSource.h"

#include <memory>

namespace tavero {

// The screen of the X server named by $DISPLAY, through our own xcb
// connection. While a keepWindowPixels() hold lives, the top-level windows
// are redirected (automatic mode) through the Composite extension, so each
// keeps its own pixels even where others cover it; otherwise nothing of ours
// stands between the windows and the screen. Owns the connection; any thread.
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
    std::shared_ptr<UncoverWait> watchUncovering(const QList<quint32>& windows) override;
    std::shared_ptr<void> keepWindowPixels() override;
    QImage grabArea(const QRect& pixels, bool withCursor) override;
    // A screen feed of the area (openScreenFeed), on a connection of its own.
    std::unique_ptr<PictureFeed> feedArea(const QRect& pixels) override;
    QImage grab(const ContentFilter& filter, bool withCursor) override;

    // Whether window grabs can read a covered window's own pixels.
    bool hasComposite() const;
    bool hasSharedMemory() const;
    // Grabs through plain GetImage instead of MIT-SHM (for comparisons).
    void setUseSharedMemory(bool use);

private:
    struct Private;
    class RedirectedWindows;
    QImage grabWindow(const WindowInfo& window, bool withCursor);
    QImage grabWithoutOwnWindows(const QRect& pixels, const QList<quint32>& ownWindows, bool withCursor);
    QImage grabWindowAlone(const WindowInfo& window, bool withCursor);
    void drawCursor(QImage& image, const QPoint& imageOrigin);

    // Shared with the holds of keepWindowPixels(), which may outlive this.
    std::shared_ptr<Private> d_;
};

}  // namespace tavero
