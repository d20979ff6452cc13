#include "platform/X11ImageGrabber.h"

#include <QLoggingCategory>

#include <xcb/shm.h>
#include <xcb/xfixes.h>

#include <sys/mman.h>
#include <unistd.h>

namespace tavero::x11 {

Q_LOGGING_CATEGORY(lcGrab, "tavero.screen.grab")

namespace {

constexpr uint32_t allPlanes = ~0u;

// Z-pixmap pixels of depth 24 and 32 are 32-bit words 0xAARRGGBB (depth 24
// leaves the top byte undefined) in the server's byte order; we only accept
// servers whose order matches ours, which every little-endian X server does.
// The output is RGBA bytes, premultiplied, opaque for depth 24.
QImage toSurface(const uchar* data, const QRect& area, int depth) {
    QImage image(area.size(), QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) return image;
    const uint32_t alphaFill = depth == 32 ? 0 : 0xff000000u;
    const auto* source = reinterpret_cast<const uint32_t*>(data);
    const int width = area.width();
    for (int y = 0; y < area.height(); ++y) {
        auto* target = reinterpret_cast<uint32_t*>(image.scanLine(y));
        const uint32_t* row = source + qsizetype(y) * width;
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = row[x];
            target[x] = ((pixel >> 16) & 0xffu) | (pixel & 0xff00u) | ((pixel & 0xffu) << 16) |
                        (pixel & 0xff000000u) | alphaFill;
        }
    }
    return image;
}

bool serverMatchesUs(const xcb_setup_t* setup) {
    const bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    return (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) == littleEndian;
}

}  // namespace

ImageGrabber::ImageGrabber(Connection& connection) : connection_(connection) {
    xcb_connection_t* c = connection_.get();
    if (connection_.has(&xcb_shm_id)) {
        auto version = take(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
        // Passing a file descriptor needs MIT-SHM 1.2.
        shmAvailable_ = version && (version->major_version > 1 || version->minor_version >= 2);
    }
    useShm_ = shmAvailable_;
    if (connection_.has(&xcb_xfixes_id)) {
        // XFixes answers nothing until the client has announced its version.
        auto version = take(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
        xfixesAvailable_ = version && version->major_version >= 1;
    }
}

ImageGrabber::~ImageGrabber() { releaseSegment(); }

void ImageGrabber::setUseSharedMemory(bool use) {
    std::lock_guard guard(lock_);
    useShm_ = use && shmAvailable_;
}

bool ImageGrabber::usesSharedMemory() const {
    std::lock_guard guard(lock_);
    return useShm_;
}

QImage ImageGrabber::grab(xcb_drawable_t drawable, const QRect& area, int depth) {
    if (area.isEmpty() || (depth != 24 && depth != 32) || !serverMatchesUs(xcb_get_setup(connection_.get())))
        return {};
    std::lock_guard guard(lock_);
    QImage image;
    if (useShm_) image = grabShared(drawable, area, depth);
    if (image.isNull()) image = grabPlain(drawable, area, depth);
    connection_.discardEvents();
    return image;
}

bool ImageGrabber::ensureSegment(size_t bytes) {
    if (memory_ && size_ >= bytes) return true;
    releaseSegment();
    const int fd = memfd_create("tavero-grab", MFD_CLOEXEC);
    if (fd < 0) return false;
    if (ftruncate(fd, off_t(bytes)) != 0) {
        close(fd);
        return false;
    }
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return false;
    }
    const uint32_t segment = xcb_generate_id(connection_.get());
    // xcb closes the descriptor once it is sent.
    Reply<xcb_generic_error_t> error(
        xcb_request_check(connection_.get(), xcb_shm_attach_fd_checked(connection_.get(), segment, fd, 0)));
    if (error) {
        munmap(memory, bytes);
        return false;
    }
    segment_ = segment;
    memory_ = memory;
    size_ = bytes;
    return true;
}

void ImageGrabber::releaseSegment() {
    if (!memory_) return;
    xcb_shm_detach(connection_.get(), segment_);
    xcb_flush(connection_.get());
    munmap(memory_, size_);
    memory_ = nullptr;
    size_ = 0;
}

QImage ImageGrabber::grabShared(xcb_drawable_t drawable, const QRect& area, int depth) {
    const size_t bytes = size_t(area.width()) * size_t(area.height()) * 4;
    if (!ensureSegment(bytes)) {
        qCDebug(lcGrab) << "no shared memory segment; grabbing without it";
        useShm_ = false;
        return {};
    }
    xcb_connection_t* c = connection_.get();
    auto reply = take(xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, drawable, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), allPlanes, XCB_IMAGE_FORMAT_Z_PIXMAP, segment_, 0),
        nullptr));
    if (!reply || reply->size < bytes) return {};
    return toSurface(static_cast<const uchar*>(memory_), area, depth);
}

QImage ImageGrabber::grabPlain(xcb_drawable_t drawable, const QRect& area, int depth) {
    xcb_connection_t* c = connection_.get();
    auto reply = take(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(area.x()), int16_t(area.y()),
                      uint16_t(area.width()), uint16_t(area.height()), allPlanes),
        nullptr));
    if (!reply) return {};
    const qsizetype expected = qsizetype(area.width()) * area.height() * 4;
    if (xcb_get_image_data_length(reply.get()) < expected) return {};
    return toSurface(xcb_get_image_data(reply.get()), area, depth);
}

QImage ImageGrabber::cursor(QPoint& topLeft) {
    if (!xfixesAvailable_) return {};
    xcb_connection_t* c = connection_.get();
    auto reply = take(xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!reply || reply->width == 0 || reply->height == 0) return {};
    // 32-bit premultiplied ARGB words, which is Qt's ARGB32_Premultiplied.
    const QImage view(reinterpret_cast<const uchar*>(xcb_xfixes_get_cursor_image_cursor_image(reply.get())),
                      reply->width, reply->height, QImage::Format_ARGB32_Premultiplied);
    topLeft = QPoint(reply->x - reply->xhot, reply->y - reply->yhot);
    return view.copy();
}

}  // namespace tavero::x11
