#pragma once

#include "platform/desktop/X11Connection.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>
#include <mutex>

namespace tavero::x11 {

class SegmentPool;

// Reads pixels from the server through MIT-SHM segments that become the
// images themselves (see SegmentPool), or through plain GetImage, whose reply
// becomes the image, where shared memory is not available. Images come in
// the server's own layout: Format_RGB32 for depth 24, ARGB32_Premultiplied
// for depth 32 (little-endian servers, which X servers on our machines are).
// Errors of failed grabs arrive among the connection's events, which its
// owner reads or discards. Owns the pools; any thread, one grab at a time.
class ImageGrabber {
public:
    explicit ImageGrabber(Connection& connection);
    ~ImageGrabber();
    ImageGrabber(const ImageGrabber&) = delete;
    ImageGrabber& operator=(const ImageGrabber&) = delete;

    bool sharedMemoryAvailable() const { return pool_ != nullptr; }
    void setUseSharedMemory(bool use);
    // For a stream of grabs whose consumer holds at most `pictures` of them
    // at once: that many shared segments stay until the grabber is gone.
    void keepSegmentsBetweenGrabs(size_t pictures);

    // `area` of `drawable` (in its own coordinates), which has depth 24 or
    // 32; null on failure or another depth.
    QImage grab(xcb_drawable_t drawable, const QRect& area, int depth);

    // An area of a drawable, in the drawable's own coordinates.
    struct Part {
        xcb_drawable_t drawable = 0;
        QRect area;
    };
    // Receives the pixels of `parts[index]`, valid during the call only;
    // null when that read failed.
    using PartSink = std::function<void(qsizetype index, const QImage& pixels)>;
    // Several areas read at once, for pieces of a picture read again and
    // again (what our windows cover): every request goes out before the
    // first answer is read, so they wait for one round trip together, and
    // all but the smallest are written into shared segments of their own,
    // kept for the next reads, so they need no fresh memory. The drawables
    // have depth `depth`.
    void grabParts(const QList<Part>& parts, int depth, const PartSink& take);

    // The pointer's image placed at its position in root pixels; a null
    // image when the server cannot tell.
    QImage cursor(QPoint& topLeft);

private:
    QImage grabShared(xcb_drawable_t drawable, const QRect& area, QImage::Format format);
    QImage grabPlain(xcb_drawable_t drawable, const QRect& area, QImage::Format format);

    Connection& connection_;
    std::mutex lock_;
    std::shared_ptr<SegmentPool> pool_;
    // The large parts' segments, apart from the whole grabs' so that neither
    // takes the other's place.
    std::shared_ptr<SegmentPool> partPool_;
    bool useShm_ = false;
    bool xfixesAvailable_ = false;
};

}  // namespace tavero::x11
