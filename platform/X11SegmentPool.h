#pragma once

#include <QImage>

#include <xcb/xcb.h>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tavero::x11 {

// MIT-SHM segments the server writes grabs into. A grabbed QImage uses its
// segment's memory directly and gives the segment back when the last copy of
// the image is gone. A stream of grabs, whose consumer holds one while the
// next is taken, reuses a few segments and neither copies nor faults in fresh
// pages; once no grab is held, every segment is released, so an idle program
// keeps no screen-sized buffers. A pool kept for a stream (a recording, whose
// encoder is done with each picture before the next is grabbed) keeps a few
// free segments until it is disconnected. Any thread; the images may outlive
// the connection (the server drops its attachments when the connection
// closes).
class SegmentPool : public std::enable_shared_from_this<SegmentPool> {
public:
    struct Segment {
        uint32_t id = 0;
        uchar* memory = nullptr;
        size_t size = 0;
    };

    explicit SegmentPool(xcb_connection_t* connection);
    ~SegmentPool();
    SegmentPool(const SegmentPool&) = delete;
    SegmentPool& operator=(const SegmentPool&) = delete;

    // A segment of at least `bytes` for the caller alone; none when shared
    // memory cannot be set up.
    std::optional<Segment> take(size_t bytes);
    // The segment is free again (for a grab that failed).
    void giveBack(const Segment& segment);
    // An image over the segment's first bytes; the segment returns to the
    // pool with the image's last copy.
    QImage imageOn(const Segment& segment, QSize size, QImage::Format format);

    // Free segments stay for the next grab even when no grab is held.
    void keepForStream();

    // The connection is closing: stop talking to it.
    void disconnect();

private:
    std::optional<Segment> attachNew(size_t bytes);
    void release(const Segment& segment);

    std::mutex lock_;
    xcb_connection_t* connection_;
    std::vector<Segment> free_;
    // Segments taken and not given back.
    int inUse_ = 0;
    bool keptForStream_ = false;
};

}  // namespace tavero::x11
