#include "platform/desktop/X11ImageGrabber.h"

#include "platform/desktop/X11SegmentPool.h"

#include <xcb/shm.h>
#include <xcb/xfixes.h>

#include <optional>
#include <vector>

namespace tavero::x11 {

namespace {

constexpr uint32_t allPlanes = ~0u;

// Z-pixmap words of depth 24 and 32 are 0xAARRGGBB in the server's byte
// order, which is Qt's RGB32 / ARGB32 when it matches ours.
std::optional<QImage::Format> formatFor(const xcb_setup_t* setup, int depth) {
    const bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian) return std::nullopt;
    if (depth == 24) return QImage::Format_RGB32;
    if (depth == 32) return QImage::Format_ARGB32_Premultiplied;
    return std::nullopt;
}

bool hasShm12(Connection& connection) {
    if (!connection.has(&xcb_shm_id)) return false;
    xcb_connection_t* c = connection.get();
    auto version = take(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
    // Passing a file descriptor needs MIT-SHM 1.2.
    return version && (version->major_version > 1 || version->minor_version >= 2);
}

// Parts this large (the border's strips, the panels) pass through shared
// segments: a reply this large is read into fresh memory, which the C
// library hands back to the system once it is freed. Smaller ones (the
// rows of the border's rounded corners) are cheaper as replies.
constexpr size_t sharedPartBytes = 16 * 1024;
// Large parts read at once at most (four strips and a few panels): one
// segment each stays for the next reads.
constexpr size_t keptPartSegments = 16;

void freeReply(void* reply) { std::free(reply); }

// The reply becomes the image's memory and is freed with its last copy;
// null when it holds fewer pixels than asked.
QImage imageOf(xcb_get_image_reply_t* reply, QSize size, QImage::Format format) {
    if (!reply) return {};
    if (xcb_get_image_data_length(reply) < qsizetype(size.width()) * size.height() * 4) {
        std::free(reply);
        return {};
    }
    return QImage(xcb_get_image_data(reply), size.width(), size.height(), qsizetype(size.width()) * 4, format,
                  freeReply, reply);
}

size_t bytesOf(const QRect& area) { return size_t(area.width()) * size_t(area.height()) * 4; }

xcb_get_image_cookie_t askPlain(xcb_connection_t* c, xcb_drawable_t drawable, const QRect& area) {
    return xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(area.x()), int16_t(area.y()),
                         uint16_t(area.width()), uint16_t(area.height()), allPlanes);
}

xcb_shm_get_image_cookie_t askShared(xcb_connection_t* c, xcb_drawable_t drawable, const QRect& area,
                                     uint32_t segment) {
    return xcb_shm_get_image(c, drawable, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                             uint16_t(area.height()), allPlanes, XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0);
}

// The segment as the image of `area` once the server has written it; null
// (and the segment free again) when it did not.
QImage sharedAnswer(xcb_connection_t* c, xcb_shm_get_image_cookie_t cookie, SegmentPool& pool,
                    const SegmentPool::Segment& segment, const QRect& area, QImage::Format format) {
    auto reply = take(xcb_shm_get_image_reply(c, cookie, nullptr));
    if (!reply || reply->size < bytesOf(area)) {
        pool.giveBack(segment);
        return {};
    }
    return pool.imageOn(segment, area.size(), format);
}

// A part's request under way: through a segment or as a reply.
struct AskedPart {
    std::optional<SegmentPool::Segment> segment;
    xcb_shm_get_image_cookie_t shared{};
    std::optional<xcb_get_image_cookie_t> plain;
};

}  // namespace

ImageGrabber::ImageGrabber(Connection& connection) : connection_(connection) {
    xcb_connection_t* c = connection_.get();
    if (hasShm12(connection_)) {
        pool_ = std::make_shared<SegmentPool>(c);
        partPool_ = std::make_shared<SegmentPool>(c);
        partPool_->keepForStream(keptPartSegments);
    }
    useShm_ = pool_ != nullptr;
    if (connection_.has(&xcb_xfixes_id)) {
        // XFixes answers nothing until the client has announced its version.
        auto version = take(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
        xfixesAvailable_ = version && version->major_version >= 1;
    }
}

ImageGrabber::~ImageGrabber() {
    if (pool_) pool_->disconnect();
    if (partPool_) partPool_->disconnect();
}

void ImageGrabber::keepSegmentsBetweenGrabs(size_t pictures) {
    if (pool_) pool_->keepForStream(pictures);
}

void ImageGrabber::setUseSharedMemory(bool use) {
    std::lock_guard guard(lock_);
    useShm_ = use && pool_;
}

QImage ImageGrabber::grab(xcb_drawable_t drawable, const QRect& area, int depth) {
    const std::optional<QImage::Format> format = formatFor(xcb_get_setup(connection_.get()), depth);
    if (area.isEmpty() || !format) return {};
    std::lock_guard guard(lock_);
    QImage image;
    if (useShm_) image = grabShared(drawable, area, *format);
    if (image.isNull()) image = grabPlain(drawable, area, *format);
    return image;
}

void ImageGrabber::grabParts(const QList<Part>& parts, int depth, const PartSink& take) {
    const std::optional<QImage::Format> format = formatFor(xcb_get_setup(connection_.get()), depth);
    if (!format) {
        for (qsizetype index = 0; index < parts.size(); ++index) take(index, {});
        return;
    }
    std::lock_guard guard(lock_);
    xcb_connection_t* c = connection_.get();
    // Every request goes out before the first answer is read.
    std::vector<AskedPart> asked(size_t(parts.size()));
    for (qsizetype index = 0; index < parts.size(); ++index) {
        const Part& wanted = parts[index];
        if (wanted.area.isEmpty()) continue;
        AskedPart& part = asked[size_t(index)];
        if (useShm_ && bytesOf(wanted.area) >= sharedPartBytes) part.segment = partPool_->take(bytesOf(wanted.area));
        if (part.segment) part.shared = askShared(c, wanted.drawable, wanted.area, part.segment->id);
        else part.plain = askPlain(c, wanted.drawable, wanted.area);
    }
    for (qsizetype index = 0; index < parts.size(); ++index) {
        const AskedPart& part = asked[size_t(index)];
        const QRect& area = parts[index].area;
        if (part.segment) take(index, sharedAnswer(c, part.shared, *partPool_, *part.segment, area, *format));
        else if (part.plain) take(index, imageOf(xcb_get_image_reply(c, *part.plain, nullptr), area.size(), *format));
        else take(index, {});
    }
}

QImage ImageGrabber::grabShared(xcb_drawable_t drawable, const QRect& area, QImage::Format format) {
    const std::optional<SegmentPool::Segment> segment = pool_->take(bytesOf(area));
    if (!segment) return {};
    xcb_connection_t* c = connection_.get();
    return sharedAnswer(c, askShared(c, drawable, area, segment->id), *pool_, *segment, area, format);
}

QImage ImageGrabber::grabPlain(xcb_drawable_t drawable, const QRect& area, QImage::Format format) {
    xcb_connection_t* c = connection_.get();
    return imageOf(xcb_get_image_reply(c, askPlain(c, drawable, area), nullptr), area.size(), format);
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
