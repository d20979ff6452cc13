#include "platform/media/PictureScaling.h"

#include "platform/media/MediaError.h"
#include "platform/media/YuvConversion.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>

namespace tavero::media {

namespace {

// A thread per this many pixels of the picture read, up to a few: a 1080p
// picture is scaled on the calling thread alone, an 8K one in four bands.
constexpr int64_t pixelsPerThread = 2 << 20;
constexpr int threadsAtMost = 4;

int threadsFor(const AVFrame& from) {
    return int(std::clamp<int64_t>(int64_t(from.width) * from.height / pixelsPerThread, 1, threadsAtMost));
}

// libswscale's name for the frame's matrix.
int swscaleMatrixOf(const AVFrame& frame) {
    switch (matrixOf(frame)) {
    case YuvMatrix::bt601:
        return SWS_CS_ITU601;
    case YuvMatrix::bt709:
        return SWS_CS_ITU709;
    case YuvMatrix::bt2020:
        return SWS_CS_BT2020;
    case YuvMatrix::smpte240m:
        return SWS_CS_SMPTE240M;
    case YuvMatrix::fcc:
        return SWS_CS_FCC;
    }
    return SWS_CS_ITU601;
}

// What a scaler was made for.
struct Shape {
    int fromWidth = 0;
    int fromHeight = 0;
    int fromFormat = AV_PIX_FMT_NONE;
    int matrix = 0;
    bool fullRange = false;
    int toWidth = 0;
    int toHeight = 0;
    int toFormat = AV_PIX_FMT_NONE;

    bool operator==(const Shape&) const = default;
};

Shape shapeOf(const AVFrame& from, const AVFrame& to) {
    return {from.width, from.height, from.format, swscaleMatrixOf(from), fullRange(from),
            to.width, to.height, to.format};
}

int flagsFor(const AVFrame& from, const AVFrame& to) {
    const bool smaller = to.width <= from.width && to.height <= from.height;
    const int filter = smaller ? SWS_AREA : SWS_BILINEAR;
    if (to.width == from.width && to.height == from.height) return filter;
    // Resized between YUV and RGB, the colour keeps a sample per pixel of
    // the new size: by default libswscale computes it at half the width,
    // which smears thin coloured text.
    return filter | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP;
}

void set(SwsContext* scaler, const char* option, int64_t value) {
    check(av_opt_set_int(scaler, option, value, 0), option);
}

Scaler makeScaler(const AVFrame& from, const AVFrame& to) {
    Scaler scaler(sws_alloc_context());
    if (!scaler) throw MediaError("sws_alloc_context", AVERROR(ENOMEM));
    SwsContext* made = scaler.get();
    set(made, "srcw", from.width);
    set(made, "srch", from.height);
    set(made, "src_format", from.format);
    set(made, "dstw", to.width);
    set(made, "dsth", to.height);
    set(made, "dst_format", to.format);
    set(made, "sws_flags", flagsFor(from, to));
    set(made, "threads", threadsFor(from));
    check(sws_init_context(made, nullptr, nullptr), "sws_init_context");
    if (codedWithMatrix(AVPixelFormat(from.format))) {
        // YUV into YUV keeps its range; RGB is full range.
        const int* matrix = sws_getCoefficients(swscaleMatrixOf(from));
        const bool full = fullRange(from);
        const bool toFull = codedWithMatrix(AVPixelFormat(to.format)) ? full : true;
        sws_setColorspaceDetails(made, matrix, full, matrix, toFull, 0, 1 << 16, 1 << 16);
    }
    return scaler;
}

struct LastScaler {
    Shape shape;
    Scaler scaler;
};

thread_local LastScaler last;

}  // namespace

bool swscaleReads(AVPixelFormat format) { return sws_isSupportedInput(format) > 0; }

void scalePicture(const AVFrame& from, AVFrame& to) {
    const Shape shape = shapeOf(from, to);
    if (!last.scaler || !(last.shape == shape)) {
        last.scaler.reset();
        last.scaler = makeScaler(from, to);
        last.shape = shape;
    }
    check(sws_scale_frame(last.scaler.get(), &to, &from), "sws_scale_frame");
}

}  // namespace tavero::media
