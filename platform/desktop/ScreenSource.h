#pragma once

#include "platform/PictureFeed.h"
#include "platform/desktop/ScreenContent.h"

#include <QImage>
#include <QPoint>
#include <QRegion>

#include <chrono>
#include <memory>
#include <optional>

namespace tavero {

// The screen as the capture code sees it: displays, windows, the pointer and
// grabs. Implementations are safe to call from any thread; a request may
// block for a while, so callers run the slow ones (grabs) off the main thread.
// Grabs come back in ImageOps::surfaceFormat; a null image means the grab
// failed. A lost connection to the screen throws std::runtime_error.
class ScreenSource {
public:
    virtual ~ScreenSource() = default;

    // The monitors; the primary one is marked.
    virtual QList<DisplayInfo> displays() = 0;
    // On-screen windows, front to back, without desktop windows.
    virtual QList<WindowInfo> windows() = 0;
    // The pointer in root pixels.
    virtual QPoint pointer() = 0;
    // The process of the active (frontmost) window, if any is known.
    virtual std::optional<qint64> activeProcess() = 0;
    // Brings the front-most window of `processID` forward and gives it the
    // keyboard, as a taskbar would; nothing when it has no window on screen.
    virtual void activate(qint64 processID) = 0;
    // Whether this program may read the screen: an X server lets every
    // client read it, so only a test's screen can say no.
    virtual bool accessGranted() { return true; }
    // Waits for this program's windows to leave the screen.
    class UncoverWait {
    public:
        virtual ~UncoverWait() = default;
        // Blocks until the windows have left the screen (a window manager's
        // frame too), at most `leaving`, and what they showed has been
        // drawn again, at most `drawing` after the last has gone. Any thread.
        virtual void wait(std::chrono::milliseconds leaving, std::chrono::milliseconds drawing) = 0;
        // Once wait() has returned: where the windows that have gone showed
        // and nothing has drawn again since, in root pixels (none where the
        // screen cannot tell). A grab still shows them there.
        virtual QRegion undrawn() const = 0;
    };
    // Watches `windows`, this program's, which the caller is about to hide:
    // call before hiding them, so that nothing happens unseen.
    virtual std::shared_ptr<UncoverWait> watchUncovering(const QList<quint32>& windows) = 0;

    // A rectangle of the screen in root pixels, as it appears now.
    virtual QImage grabArea(const QRect& pixels, bool withCursor) = 0;
    // Pictures of a rectangle in root pixels, as grabArea() makes them, for
    // a stream of frames (a scrolling screenshot's): where one of this
    // program's floating windows (OwnWindows) lies over the rectangle, the
    // picture shows what it covers. The screen's extra work for that ends
    // with the feed. Throws PictureFeed::Lost when the screen cannot be read.
    virtual std::unique_ptr<PictureFeed> feedArea(const QRect& pixels) = 0;
    // A display's whole rectangle, or a window: its own pixels even where
    // other windows cover it while a keepWindowPixels() hold lives, else
    // (or where the screen cannot keep them) the visible pixels of its frame.
    // A display filter `withoutOwnWindows` shows what lies beneath this
    // program's windows, as feedArea() does (watchUncovering() waits for
    // those leaving the screen); a window filter `withoutOwnWindows` shows the
    // window's own pixels without a hold, as a recording of it does, once it
    // has drawn what was covered (where the screen cannot keep them, the
    // visible pixels of its frame).
    virtual QImage grab(const ContentFilter& filter, bool withCursor) = 0;
    // Has every window now on the screen draw into pixels of its own until
    // the returned hold is dropped. A window shows all of them only once it
    // has repainted what was covered, so take the hold well before the grab.
    // It costs the screen memory and time for every window: take it only for
    // a window capture. Null where the screen cannot keep them.
    virtual std::shared_ptr<void> keepWindowPixels() = 0;
};

// The X11 screen, or the fake one when TAVERO_PLATFORM=fake. Null when no
// X display can be opened.
std::shared_ptr<ScreenSource> makeScreenSource();

}  // namespace tavero
