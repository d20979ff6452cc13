#include "platform/media/PictureConversion.h"

#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <libyuv/convert_argb.h>
#include <libyuv/rotate_argb.h>
#include <libyuv/scale.h>
#include <libyuv/scale_argb.h>

#include <vector>

namespace tavero::media {

namespace {

bool fullRange(const AVFrame& frame) {
    const auto format = AVPixelFormat(frame.format);
    return frame.color_range == AVCOL_RANGE_JPEG || format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
           format == AV_PIX_FMT_YUVJ444P;
}

// The matrix the picture is tagged with; BT.601 when it names none.
const libyuv::YuvConstants* matrixOf(const AVFrame& frame) {
    const bool full = fullRange(frame);
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        return full ? &libyuv::kYuvF709Constants : &libyuv::kYuvH709Constants;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return full ? &libyuv::kYuvV2020Constants : &libyuv::kYuv2020Constants;
    default:
        return full ? &libyuv::kYuvJPEGConstants : &libyuv::kYuvI601Constants;
    }
}

// Converts a decoded picture into `image` (RGB32, of the picture's size).
void convert(const AVFrame& frame, QImage& image) {
    const libyuv::YuvConstants* matrix = matrixOf(frame);
    uint8_t* to = image.bits();
    const int stride = int(image.bytesPerLine());
    const int w = frame.width, h = frame.height;
    const auto* d = frame.data;
    const auto* s = frame.linesize;
    int result = -1;
    switch (AVPixelFormat(frame.format)) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
        result = libyuv::I420ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
        result = libyuv::I422ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P:
        result = libyuv::I444ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_NV12:
        result = libyuv::NV12ToARGBMatrix(d[0], s[0], d[1], s[1], to, stride, matrix, w, h);
        break;
    // Packed pictures come from webcams, which code them in BT.601.
    case AV_PIX_FMT_YUYV422:
        result = libyuv::YUY2ToARGB(d[0], s[0], to, stride, w, h);
        break;
    case AV_PIX_FMT_UYVY422:
        result = libyuv::UYVYToARGB(d[0], s[0], to, stride, w, h);
        break;
    case AV_PIX_FMT_YUV420P10LE:
        result = libyuv::I010ToARGBMatrix(reinterpret_cast<const uint16_t*>(d[0]), s[0] / 2,
                                          reinterpret_cast<const uint16_t*>(d[1]), s[1] / 2,
                                          reinterpret_cast<const uint16_t*>(d[2]), s[2] / 2, to, stride, matrix, w, h);
        break;
    default:
        const char* name = av_get_pix_fmt_name(AVPixelFormat(frame.format));
        throw MediaError(std::string("pictures in ") + (name ? name : "an unknown format"), AVERROR_PATCHWELCOME);
    }
    if (result != 0) throw MediaError("conversion to RGB", AVERROR(EINVAL));
}

QImage newPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) throw MediaError("picture memory", AVERROR(ENOMEM));
    return image;
}

}  // namespace

QImage toRgb(const AVFrame& frame, QSize size) {
    const QSize full(frame.width, frame.height);
    QImage converted = newPicture(full);
    convert(frame, converted);
    if (size.isEmpty() || size == full) return converted;
    QImage scaled = newPicture(size);
    if (libyuv::ARGBScale(converted.constBits(), int(converted.bytesPerLine()), full.width(), full.height(),
                          scaled.bits(), int(scaled.bytesPerLine()), size.width(), size.height(),
                          libyuv::kFilterBox) != 0)
        throw MediaError("scaling", AVERROR(EINVAL));
    return scaled;
}

void toRgbInto(const AVFrame& frame, QImage& picture) { convert(frame, picture); }

QImage toRgbForShowing(const AVFrame& frame, QSize size) {
    const auto format = AVPixelFormat(frame.format);
    const bool planar420 = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
    if (!planar420 || size.isEmpty() || size.width() >= frame.width || size.height() >= frame.height)
        return toRgb(frame, size);
    const int w = size.width(), h = size.height();
    const int chromaWidth = (w + 1) / 2, chromaHeight = (h + 1) / 2;
    std::vector<uint8_t> planes(size_t(w) * size_t(h) + 2 * size_t(chromaWidth) * size_t(chromaHeight));
    uint8_t* y = planes.data();
    uint8_t* u = y + size_t(w) * size_t(h);
    uint8_t* v = u + size_t(chromaWidth) * size_t(chromaHeight);
    if (libyuv::I420Scale(frame.data[0], frame.linesize[0], frame.data[1], frame.linesize[1], frame.data[2],
                          frame.linesize[2], frame.width, frame.height, y, w, u, chromaWidth, v, chromaWidth, w, h,
                          libyuv::kFilterBox) != 0)
        throw MediaError("scaling", AVERROR(EINVAL));
    QImage picture = newPicture(size);
    if (libyuv::I420ToARGBMatrix(y, w, u, chromaWidth, v, chromaWidth, picture.bits(), int(picture.bytesPerLine()),
                                 matrixOf(frame), w, h) != 0)
        throw MediaError("conversion to RGB", AVERROR(EINVAL));
    return picture;
}

QImage turnedClockwise(const QImage& picture, int degrees) {
    if (degrees == 0) return picture;
    const bool across = degrees == 90 || degrees == 270;
    QImage turned = newPicture(across ? picture.size().transposed() : picture.size());
    const auto mode = degrees == 90 ? libyuv::kRotate90 : degrees == 180 ? libyuv::kRotate180 : libyuv::kRotate270;
    if (libyuv::ARGBRotate(picture.constBits(), int(picture.bytesPerLine()), turned.bits(), int(turned.bytesPerLine()),
                           picture.width(), picture.height(), mode) != 0)
        throw MediaError("turning", AVERROR(EINVAL));
    return turned;
}

}  // namespace tavero::media
