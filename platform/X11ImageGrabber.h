#pragma once

#include "platform/X11Connection.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <mutex>

namespace tavero::x11 {

// Reads pixels from the server: through one MIT-SHM segment shared with the
// server (grown as needed and reused, so a stream of grabs allocates nothing
// on the server side), or through plain GetImage where shared memory is not
// available. Owns the segment; any thread, one grab at a time.
class ImageGrabber {
public:
    explicit ImageGrabber(Connection& connection);
    ~ImageGrabber();
    ImageGrabber(const ImageGrabber&) = delete;
    ImageGrabber& operator=(const ImageGrabber&) = delete;

    bool sharedMemoryAvailable() const { return shmAvailable_; }
    void setUseSharedMemory(bool use);
    bool usesSharedMemory() const;

    // `area` of `drawable` (in its own coordinates), which has `depth` 24 or
    // 32, in ImageOps::surfaceFormat; null on failure or another depth.
    QImage grab(xcb_drawable_t drawable, const QRect& area, int depth);

    // The pointer's image placed at its position in root pixels; a null
    // image when the server cannot tell.
    QImage cursor(QPoint& topLeft);

private:
    bool ensureSegment(size_t bytes);
    void releaseSegment();
    QImage grabShared(xcb_drawable_t drawable, const QRect& area, int depth);
    QImage grabPlain(xcb_drawable_t drawable, const QRect& area, int depth);

    Connection& connection_;
    mutable std::mutex lock_;
    bool shmAvailable_ = false;
    bool useShm_ = false;
    bool xfixesAvailable_ = false;
    uint32_t segment_ = 0;
    void* memory_ = nullptr;
    size_t size_ = 0;
};

}  // namespace tavero::x11
