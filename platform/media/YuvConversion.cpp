#include "platform/media/YuvConversion.h"

#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <libyuv/convert_argb.h>

#include <optional>

namespace tavero::media {

namespace {

enum class Layout { i420, i422, i444, i010, i210, i410, nv12, yuy2, uyvy };

std::optional<Layout> layoutOf(AVPixelFormat format) {
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
        return Layout::i420;
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
        return Layout::i422;
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P:
        return Layout::i444;
    case AV_PIX_FMT_YUV420P10LE:
        return Layout::i010;
    case AV_PIX_FMT_YUV422P10LE:
        return Layout::i210;
    case AV_PIX_FMT_YUV444P10LE:
        return Layout::i410;
    case AV_PIX_FMT_NV12:
        return Layout::nv12;
    case AV_PIX_FMT_YUYV422:
        return Layout::yuy2;
    case AV_PIX_FMT_UYVY422:
        return Layout::uyvy;
    default:
        return std::nullopt;
    }
}

bool jpegFormat(AVPixelFormat format) {
    return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P ||
           format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}

// libyuv's table for the frame's matrix and range, where it is true: its
// limited-range BT.709 and BT.2020 tables cut blue's share of the colour
// difference to fit 8-bit arithmetic, and a saturated blue came out some
// 6 % dark. It has none for SMPTE 240M and FCC.
const libyuv::YuvConstants* tableOf(const AVFrame& frame) {
    const bool full = fullRange(frame);
    switch (matrixOf(frame)) {
    case YuvMatrix::bt601:
        return full ? &libyuv::kYuvJPEGConstants : &libyuv::kYuvI601Constants;
    case YuvMatrix::bt709:
        return full ? &libyuv::kYuvF709Constants : nullptr;
    case YuvMatrix::bt2020:
        return full ? &libyuv::kYuvV2020Constants : nullptr;
    case YuvMatrix::smpte240m:
    case YuvMatrix::fcc:
        return nullptr;
    }
    return nullptr;
}

const uint16_t* samples(const AVFrame& frame, int plane) {
    return reinterpret_cast<const uint16_t*>(frame.data[plane]);
}

int convert(Layout layout, const libyuv::YuvConstants* matrix, const AVFrame& frame, uint8_t* to, int stride) {
    const int w = frame.width, h = frame.height;
    const auto* d = frame.data;
    const auto* s = frame.linesize;
    switch (layout) {
    case Layout::i420:
        return libyuv::I420ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
    case Layout::i422:
        return libyuv::I422ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
    case Layout::i444:
        return libyuv::I444ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
    // 10-bit strides count samples.
    case Layout::i010:
        return libyuv::I010ToARGBMatrix(samples(frame, 0), s[0] / 2, samples(frame, 1), s[1] / 2, samples(frame, 2),
                                        s[2] / 2, to, stride, matrix, w, h);
    case Layout::i210:
        return libyuv::I210ToARGBMatrix(samples(frame, 0), s[0] / 2, samples(frame, 1), s[1] / 2, samples(frame, 2),
                                        s[2] / 2, to, stride, matrix, w, h);
    case Layout::i410:
        return libyuv::I410ToARGBMatrix(samples(frame, 0), s[0] / 2, samples(frame, 1), s[1] / 2, samples(frame, 2),
                                        s[2] / 2, to, stride, matrix, w, h);
    case Layout::nv12:
        return libyuv::NV12ToARGBMatrix(d[0], s[0], d[1], s[1], to, stride, matrix, w, h);
    // Packed pictures come from webcams, which code them in BT.601.
    case Layout::yuy2:
        return libyuv::YUY2ToARGB(d[0], s[0], to, stride, w, h);
    case Layout::uyvy:
        return libyuv::UYVYToARGB(d[0], s[0], to, stride, w, h);
    }
    return -1;
}

}  // namespace

YuvMatrix matrixOf(const AVFrame& frame) {
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        return YuvMatrix::bt709;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return YuvMatrix::bt2020;
    case AVCOL_SPC_SMPTE240M:
        return YuvMatrix::smpte240m;
    case AVCOL_SPC_FCC:
        return YuvMatrix::fcc;
    default:
        return YuvMatrix::bt601;
    }
}

bool codedWithMatrix(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor && !(descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) &&
           format != AV_PIX_FMT_XYZ12LE && format != AV_PIX_FMT_XYZ12BE;
}

bool fullRange(const AVFrame& frame) {
    return frame.color_range == AVCOL_RANGE_JPEG || jpegFormat(AVPixelFormat(frame.format));
}

bool libyuvConverts(const AVFrame& frame) { return layoutOf(AVPixelFormat(frame.format)) && tableOf(frame); }

void convertWithLibyuv(const AVFrame& frame, QImage& picture) {
    const std::optional<Layout> layout = layoutOf(AVPixelFormat(frame.format));
    const libyuv::YuvConstants* matrix = tableOf(frame);
    if (!layout || !matrix) throw MediaError("libyuv conversion", AVERROR_PATCHWELCOME);
    if (convert(*layout, matrix, frame, picture.bits(), int(picture.bytesPerLine())) != 0)
        throw MediaError("conversion to RGB", AVERROR(EINVAL));
}

}  // namespace tavero::media
