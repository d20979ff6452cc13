#pragma once

#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11Windows.h"

#include <QHash>
#include <QImage>
#include <QRegion>

#include <functional>
#include <optional>
#include <vector>

namespace tavero::x11 {

class ImageGrabber;

// The last picture a feed handed on: what the screen showed then, outside
// the windows of ours taken out of it, save where the pointer was drawn in.
struct ShownPicture {
    // Root pixels from `origin`; null before the first picture.
    QImage image;
    QPoint origin;
    // Where the pointer was drawn, in root pixels, and what it covered there.
    QRect pointer;
    QImage beneathPointer;

    // Copies what the screen showed in `rect` (root pixels) into `target` at
    // `at`; false when the picture does not hold it.
    bool copyTo(const QRect& rect, QImage& target, QPoint at) const;
};

// What lies beneath our windows where they cover a recording's area, kept
// from picture to picture: the covered region in pieces (its rectangles),
// each holding what the other top levels show there over the desktop. A
// refresh reads only what went stale: everything when the region, the
// windows beneath (their order, places, depths or shapes) or the desktop's
// picture changed, else only where a window beneath drew. It asks for no
// more pixels than the stale part holds: each window only for what of it
// shows there, an opaque window hiding those below it.
//
// The desktop is what the screen last showed there before our windows came:
// kept while they stay, taken from the last picture where they came since
// and no other window lay. Where no picture showed it (our windows were
// there before the first, or another window until it left), it is what the
// screen shows where nothing lies: the root's own background, or under a
// compositing manager the desktop picture a desktop program published
// (_XROOTPMAP_ID, ESETROOT_PMAP_ID) where the screen shows it, else the
// colour the manager paints there.
//
// Where no compositing manager runs, the server shows a window with an alpha
// channel as its colours alone, over black; a manager lays it over what lies
// beneath it.
//
// Uses the caller's connection and grabber on the caller's thread.
class CoveredPixels {
public:
    CoveredPixels(Connection& connection, ImageGrabber& grabber);

    // In root pixels.
    const QRegion& region() const { return region_; }
    // Covers `region` from now on; all of it is stale when it changed.
    // `last` is the picture before, which shows what was not covered then,
    // the desktop save where other `windows` lay (root pixels).
    void cover(const QRegion& region, const ShownPicture& last, const QRegion& windows);
    // What is drawn here (root pixels) is read again at the next refresh.
    void invalidate(const QRect& drawn) { stale_ += region_ & drawn; }
    void invalidateAll() { stale_ = region_; }
    // Reads what went stale; `beneath` are the other top levels over the
    // region, bottom to top, each by what of it the screen shows (its shape);
    // `managerPaints` whether a compositing manager paints the screen. Where
    // one of them shows what it has not drawn yet (`undrawn`, by window, in
    // root pixels), the region is black: its pixmap holds what covered it
    // there.
    void refresh(const QList<TopLevel>& beneath, bool managerPaints,
                 const QHash<xcb_window_t, QRegion>& undrawn = {});
    // Paints the region over `image`, which shows the root from `origin`.
    void paint(QImage& image, QPoint origin) const;
    // Covers nothing and lets go of every piece.
    void clear();

private:
    struct Piece {
        QRect rect;
        QImage pixels;
        // What the screen last showed there: the desktop, where no window
        // lies beneath.
        QImage seen;
    };
    // A rectangle of a piece, in root pixels.
    struct Part {
        size_t piece = 0;
        QRect rect;
    };
    // The desktop's picture, where a desktop program published one.
    struct Desktop {
        xcb_pixmap_t pixmap = XCB_PIXMAP_NONE;
        QRect rect;
        uint8_t depth = 0;
        // Whether the screen shows it, once asked.
        std::optional<bool> shown;
    };

    Piece pieceOver(const QRect& rect, const ShownPicture& last, const QRegion& windows, QRegion& unseen) const;
    void checkDesktop();
    std::vector<Part> partsOf(const QRegion& region) const;
    void paintDesktop(const QRegion& shown);
    void readUnseen(const QRegion& region);
    void readSeen(const QRegion& region);
    void readDesktopPicture(const QRegion& region);
    void fillSeen(const QRegion& region, QRgb colour);
    std::optional<QRect> bareRect();
    bool desktopPictureShown();
    QRgb managerDesktop();
    // A window laid over what lies beneath it (`laidOver`), else copied.
    void paintWindow(const TopLevel& window, const QRegion& shown, bool laidOver);
    void paintBlack(const QRegion& region);
    // Reads the parts from `drawable`, whose origin lies at `origin` in root
    // pixels, into their pieces: copied (opaque), or laid over them
    // (`blend`).
    void read(xcb_drawable_t drawable, QPoint origin, int depth, const std::vector<Part>& parts, bool blend);
    // Hands each of the parts, read from `drawable` as `read` does, to
    // `take` with its pixels (null when that read failed).
    void grab(xcb_drawable_t drawable, QPoint origin, int depth, const std::vector<Part>& parts,
              const std::function<void(const Part&, const QImage&)>& take);

    Connection& connection_;
    ImageGrabber& grabber_;
    QRegion region_;
    std::vector<Piece> pieces_;
    QRegion stale_;
    // Where no picture has shown the screen yet.
    QRegion unseen_;
    QList<TopLevel> beneath_;
    bool desktopKnown_ = false;
    Desktop desktop_;
    bool managerPaints_ = false;
};

}  // namespace tavero::x11
