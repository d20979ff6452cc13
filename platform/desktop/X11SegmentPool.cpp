#include "platform/desktop/X11SegmentPool.h"

#include "platform/desktop/X11Connection.h"

#include <xcb/shm.h>

#include <sys/mman.h>
#include <unistd.h>

namespace tavero::x11 {

namespace {

// Free segments kept while another grab is held, for captures that keep the
// previous frame while the next is grabbed.
constexpr size_t keptWhileHeld = 2;

struct Lease {
    std::shared_ptr<SegmentPool> pool;
    SegmentPool::Segment segment;
};

void returnLease(void* info) {
    auto* lease = static_cast<Lease*>(info);
    lease->pool->giveBack(lease->segment);
    delete lease;
}

}  // namespace

SegmentPool::SegmentPool(xcb_connection_t* connection) : connection_(connection), kept_(keptWhileHeld) {}

SegmentPool::~SegmentPool() {
    for (const Segment& segment : free_) release(segment);
}

std::optional<SegmentPool::Segment> SegmentPool::take(size_t bytes) {
    std::lock_guard guard(lock_);
    if (!connection_) return std::nullopt;
    auto best = free_.end();
    for (auto found = free_.begin(); found != free_.end(); ++found)
        if (found->size >= bytes && (best == free_.end() || found->size < best->size)) best = found;
    if (best != free_.end()) {
        const Segment segment = *best;
        free_.erase(best);
        ++inUse_;
        return segment;
    }
    std::optional<Segment> segment = attachNew(bytes);
    if (segment) ++inUse_;
    return segment;
}

std::optional<SegmentPool::Segment> SegmentPool::attachNew(size_t bytes) {
    const int fd = memfd_create("tavero-grab", MFD_CLOEXEC);
    if (fd < 0) return std::nullopt;
    void* memory = ftruncate(fd, off_t(bytes)) == 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                                                    : MAP_FAILED;
    if (memory == MAP_FAILED) {
        close(fd);
        return std::nullopt;
    }
    const uint32_t id = xcb_generate_id(connection_);
    // xcb closes the descriptor once it is sent.
    Reply<xcb_generic_error_t> error(xcb_request_check(connection_, xcb_shm_attach_fd_checked(connection_, id, fd, 0)));
    if (error) {
        munmap(memory, bytes);
        return std::nullopt;
    }
    return Segment{id, static_cast<uchar*>(memory), bytes};
}

void SegmentPool::giveBack(const Segment& segment) {
    std::lock_guard guard(lock_);
    --inUse_;
    // While another grab is held (or the pool is kept for one) a stream is
    // running, and the next grab reuses this memory. Otherwise the capture is
    // over and the memory goes back to the system.
    const bool streaming = inUse_ > 0 || keptForStream_;
    if (connection_ && streaming && free_.size() < kept_) {
        free_.push_back(segment);
        return;
    }
    release(segment);
    if (streaming) return;
    for (const Segment& spare : free_) release(spare);
    free_.clear();
}

QImage SegmentPool::imageOn(const Segment& segment, QSize size, QImage::Format format) {
    return QImage(segment.memory, size.width(), size.height(), qsizetype(size.width()) * 4, format, returnLease,
                  new Lease{shared_from_this(), segment});
}

void SegmentPool::keepForStream(size_t segments) {
    std::lock_guard guard(lock_);
    keptForStream_ = true;
    kept_ = segments;
}

void SegmentPool::disconnect() {
    std::lock_guard guard(lock_);
    for (const Segment& segment : free_) release(segment);
    free_.clear();
    connection_ = nullptr;
}

// Called with the lock held (or from the destructor).
void SegmentPool::release(const Segment& segment) {
    if (connection_) {
        xcb_shm_detach(connection_, segment.id);
        xcb_flush(connection_);
    }
    munmap(segment.memory, segment.size);
}

}  // namespace tavero::x11
