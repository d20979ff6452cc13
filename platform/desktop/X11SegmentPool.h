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
// pictures wait for the encoder) keeps as many free segments as the stream
// holds pictures at once, until it is disconnected: however far the encoder
// falls behind and catches up, no grab needs fresh memory. Any thread; the
// images may outlive the connection (the server drops its attachments when
// the connection closes).
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

    // A segment of at least `bytes` for the caller alone (the smallest free
    // one that holds them); none when shared memory cannot be set up.
    std::optional<Segment> take(size_t bytes);
    // The segment is free again (for a grab that failed).
    void giveBack(const Segment& segment);
    // An image over the segment's first bytes; the segment returns to the
    // pool with the image's last copy.
    QImage imageOn(const Segment& segment, QSize size, QImage::Format format);

    // Free segments stay for the next grabs even when no grab is held, up to
    // `segments` of them.
    void keepForStream(size_t segments);

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
    // Free segments kept at most.
    size_t kept_;
};

}  // namespace tavero::x11
