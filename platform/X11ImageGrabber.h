#pragma once

#include "platform/X11Connection.h"

#include <QImage>
#include <QPoint>
#include <QRect>

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
// owner reads or discards. Owns the pool; any thread, one grab at a time.
class ImageGrabber {
public:
    explicit ImageGrabber(Connection& connection);
    ~ImageGrabber();
    ImageGrabber(const ImageGrabber&) = delete;
    ImageGrabber& operator=(const ImageGrabber&) = delete;

    bool sharedMemoryAvailable() const { return pool_ != nullptr; }
    void setUseSharedMemory(bool use);
    // For a stream of grabs whose consumer lets go of each before the next:
    // the shared segments stay until the grabber is gone.
    void keepSegmentsBetweenGrabs();

    // `area` of `drawable` (in its own coordinates), which has depth 24 or
    // 32; null on failure or another depth.
    QImage grab(xcb_drawable_t drawable, const QRect& area, int depth);
    // The same through GetImage alone: for small areas read once, where a
    // shared segment would cost more than the copy it saves and would take
    // the place of a screen-sized one in the pool.
    QImage grabOnce(xcb_drawable_t drawable, const QRect& area, int depth);

    // The pointer's image placed at its position in root pixels; a null
    // image when the server cannot tell.
    QImage cursor(QPoint& topLeft);

private:
    QImage grabShared(xcb_drawable_t drawable, const QRect& area, QImage::Format format);
    QImage grabPlain(xcb_drawable_t drawable, const QRect& area, QImage::Format format);

    Connection& connection_;
    std::mutex lock_;
    std::shared_ptr<SegmentPool> pool_;
    bool useShm_ = false;
    bool xfixesAvailable_ = false;
};

}  // namespace tavero::x11
