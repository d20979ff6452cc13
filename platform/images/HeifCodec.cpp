#include "platform/images/HeifCodec.h"
#include "platform/images/HeifBoxes.h"
#include "platform/images/PngEncoder.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tavero::heif {

namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct EncoderDeleter {
    void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
using ContextPtr = std::unique_ptr<heif_context, ContextDeleter>;
using HandlePtr = std::unique_ptr<heif_image_handle, HandleDeleter>;
using ImagePtr = std::unique_ptr<heif_image, ImageDeleter>;
using EncoderPtr = std::unique_ptr<heif_encoder, EncoderDeleter>;

bool succeeded(const heif_error& error) { return error.code == heif_error_Ok; }

// Each tile of a grid is decoded on its own, at a cost besides its pixels of
// about what a JPEG of 256 × 256 pixels takes: a picture may be made of as
// many tiles as 256-pixel squares cover it, and of 64 whatever its size.
qint64 tileAllowance(const heif_image_handle& picture) {
    constexpr qint64 square = 256;
    const qint64 across = (heif_image_handle_get_width(&picture) + square - 1) / square;
    const qint64 down = (heif_image_handle_get_height(&picture) + square - 1) / square;
    return std::max<qint64>(64, across * down);
}

// libde265 makes room for the size a stream's parameter sets state: the
// streams of a file may state three times the pixels of its picture padded
// to whole blocks (a grid's tiles overhang its right and bottom edges, and
// an alpha plane, a depth map or a thumbnail may come beside it), or 64
// tiles of 512 pixels whatever its size.
qint64 codedPixelAllowance(const heif_image_handle& picture) {
    constexpr qint64 anySize = qint64(64) * 512 * 512;
    const qint64 padded = qint64(codedSideAllowance(heif_image_handle_get_width(&picture))) *
                          codedSideAllowance(heif_image_handle_get_height(&picture));
    return std::max(anySize, 3 * padded);
}

// What libheif reads through: the device, what it may read of it yet, and
// the outline of its boxes: it is shown those up to the outline's end.
struct DeviceSource {
    QIODevice& device;
    qint64 left = 0;
    Outline outline{};
};

DeviceSource& sourceOf(void* userdata) { return *static_cast<DeviceSource*>(userdata); }

int64_t positionIn(void* userdata) { return sourceOf(userdata).device.pos(); }

// Boxes libheif is not to read show as padding to it: it passes over them.
void showPadding(const QList<qint64>& paddingTypes, qint64 from, char* bytes, qint64 size) {
    static constexpr char padding[] = "free";
    for (const qint64 type : paddingTypes)
        for (qint64 at = std::max(type, from); at < std::min(type + 4, from + size); ++at)
            bytes[at - from] = padding[at - type];
}

int readInto(void* data, size_t size, void* userdata) {
    DeviceSource& source = sourceOf(userdata);
    const qint64 from = source.device.pos();
    if (size > quint64(source.left) || from > source.outline.end || size > quint64(source.outline.end - from)) return 1;
    source.left -= qint64(size);
    auto* target = static_cast<char*>(data);
    for (qint64 done = 0; done < qint64(size);) {
        const qint64 read = source.device.read(target + done, qint64(size) - done);
        if (read <= 0) return 1;
        done += read;
    }
    showPadding(source.outline.paddingTypes, from, target, qint64(size));
    return 0;
}

int seekTo(int64_t position, void* userdata) { return sourceOf(userdata).device.seek(position) ? 0 : 1; }

// libheif waits for the file to reach the end of what it reads next, and
// takes a read that fails after that for a broken program and stops it: so
// what it waits for is there only while as many bytes are left to read as
// it ends at, and never beyond the boxes it is shown.
heif_reader_grow_status sizeReached(int64_t size, void* userdata) {
    const DeviceSource& source = sourceOf(userdata);
    return size <= source.outline.end && size <= source.left ? heif_reader_grow_status_size_reached
                                                             : heif_reader_grow_status_size_beyond_eof;
}

const heif_reader deviceReader{1, positionIn, readInto, seekTo, sizeReached};

// The primary image of the data `source` reads; `source` must outlive the
// context. With `largestSide`, libheif refuses any image, and any coded
// stream, wider or taller than that, and the outline measures the sizes the
// coded streams state. Data describing more items than maxItems, or an item
// coded in AV1, is refused before libheif reads any of it.
HandlePtr primaryImage(DeviceSource& source, ContextPtr& context, std::optional<int> largestSide = std::nullopt) {
    const std::optional<Outline> outline =
        heif::outline(source.device, largestSide ? CodedSizes::measured : CodedSizes::unmeasured);
    if (!outline || outline->items > maxItems || outline->codedInAv1 || !source.device.seek(0)) return nullptr;
    source.outline = *outline;
    context.reset(heif_context_alloc());
    if (!context) return nullptr;
    if (largestSide) heif_context_set_maximum_image_size_limit(context.get(), *largestSide);
    if (!succeeded(heif_context_read_from_reader(context.get(), &deviceReader, &source, nullptr))) return nullptr;
    heif_image_handle* handle = nullptr;
    if (!succeeded(heif_context_get_primary_image_handle(context.get(), &handle))) return nullptr;
    return HandlePtr(handle);
}

heif_error appendToBuffer(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// Copies straight RGB(A) rows into a new libheif image.
ImagePtr toHeifImage(const QImage& straight, bool withAlpha) {
    heif_image* created = nullptr;
    const auto chroma = withAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    if (!succeeded(heif_image_create(straight.width(), straight.height(), heif_colorspace_RGB, chroma, &created)))
        return nullptr;
    ImagePtr image(created);
    if (!succeeded(heif_image_add_plane(image.get(), heif_channel_interleaved, straight.width(), straight.height(), 8)))
        return nullptr;
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    if (!plane) return nullptr;
    const int channels = withAlpha ? 4 : 3;
    for (int y = 0; y < straight.height(); ++y) {
        const uchar* source = straight.constScanLine(y);
        uint8_t* target = plane + qsizetype(y) * stride;
        if (withAlpha) {
            std::memcpy(target, source, size_t(straight.width()) * 4);
            continue;
        }
        for (int x = 0; x < straight.width(); ++x)
            std::memcpy(target + x * channels, source + x * 4, 3);
    }
    return image;
}

}  // namespace

bool looksLikeHeif(const QByteArray& head) {
    const auto result = heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()), int(head.size()));
    return result == heif_filetype_yes_supported || result == heif_filetype_maybe;
}

std::optional<QSize> imageSize(QIODevice& device, qint64 maxBytes) {
    DeviceSource source{device, maxBytes};
    ContextPtr context;
    HandlePtr handle = primaryImage(source, context);
    if (!handle) return std::nullopt;
    return QSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));
}

QImage decode(QIODevice& device, qint64 maxBytes, int largestSide, bool& tooLarge) {
    tooLarge = false;
    DeviceSource source{device, maxBytes};
    ContextPtr context;
    HandlePtr handle = primaryImage(source, context, largestSide);
    if (!handle || source.outline.tiles > tileAllowance(*handle)) return {};
    if (!source.outline.codedPixels || *source.outline.codedPixels > codedPixelAllowance(*handle)) {
        tooLarge = true;
        return {};
    }
    heif_image* decoded = nullptr;
    const heif_error error =
        heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    if (!succeeded(error)) {
        tooLarge = error.subcode == heif_suberror_Security_limit_exceeded;
        return {};
    }
    ImagePtr image(decoded);
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || width <= 0 || height <= 0) return {};
    QImage result(width, height, QImage::Format_RGBA8888);
    if (result.isNull()) return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(result.scanLine(y), plane + qsizetype(y) * stride, size_t(width) * 4);
    return result;
}

QByteArray encode(const QImage& image, int quality) {
    if (image.isNull()) return {};
    const QImage straight = image.convertToFormat(QImage::Format_RGBA8888);
    ImagePtr heifImage = toHeifImage(straight, !png::isOpaque(straight));
    if (!heifImage) return {};

    ContextPtr context(heif_context_alloc());
    heif_encoder* createdEncoder = nullptr;
    if (!context || !succeeded(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &createdEncoder)))
        return {};
    EncoderPtr encoder(createdEncoder);
    heif_encoder_set_lossy_quality(encoder.get(), quality);
    if (!succeeded(heif_context_encode_image(context.get(), heifImage.get(), encoder.get(), nullptr, nullptr)))
        return {};

    QByteArray bytes;
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = appendToBuffer;
    if (!succeeded(heif_context_write(context.get(), &writer, &bytes))) return {};
    return bytes;
}

}  // namespace tavero::heif
