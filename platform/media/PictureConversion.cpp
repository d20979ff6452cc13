#include "platform/media/PictureConversion.h"

#include "platform/media/MediaError.h"
#include "platform/media/PictureResizing.h"
#include "platform/media/PictureScaling.h"
#include "platform/media/YuvConversion.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <libyuv/planar_functions.h>
#include <libyuv/rotate_argb.h>

#include <vector>

namespace tavero::media {

namespace {

QImage newPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) throw MediaError("picture memory", AVERROR(ENOMEM));
    return image;
}

void requireKnownFormat(const AVFrame& frame) {
    const auto format = AVPixelFormat(frame.format);
    if (libyuvConverts(frame) || swscaleReads(format)) return;
    const char* name = av_get_pix_fmt_name(format);
    throw MediaError(std::string("pictures in ") + (name ? name : "an unknown format"), AVERROR_PATCHWELCOME);
}

// `picture`'s memory as a frame libswscale writes BGRA into, which is RGB32
// on this platform's byte order; the picture keeps owning it.
Frame frameOver(QImage& picture) {
    Frame frame = makeFrame();
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = picture.width();
    frame->height = picture.height();
    frame->buf[0] = av_buffer_create(picture.bits(), size_t(picture.sizeInBytes()), [](void*, uint8_t*) {}, nullptr, 0);
    if (!frame->buf[0]) throw MediaError("av_buffer_create", AVERROR(ENOMEM));
    frame->data[0] = picture.bits();
    frame->linesize[0] = int(picture.bytesPerLine());
    return frame;
}

// RGB32 has no transparency, but libswscale carries a picture's alpha into
// it: shown, or made a GIF of, the picture is opaque.
void makeOpaque(QImage& picture) {
    const std::vector<uint8_t> opaque(size_t(picture.width()), 0xff);
    libyuv::ARGBCopyYToAlpha(opaque.data(), 0, picture.bits(), int(picture.bytesPerLine()), picture.width(),
                             picture.height());
}

// `frame` converted and scaled by libswscale into `picture`, of any size.
void scaleInto(const AVFrame& frame, QImage& picture) {
    Frame target = frameOver(picture);
    scalePicture(frame, *target);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(AVPixelFormat(frame.format));
    if (descriptor && descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) makeOpaque(picture);
}

// `frame` into `picture` of its own size: by libyuv where it converts the
// format, by libswscale otherwise.
void convertInto(const AVFrame& frame, QImage& picture) {
    if (libyuvConverts(frame))
        convertWithLibyuv(frame, picture);
    else
        scaleInto(frame, picture);
}

// Whether pictures in the frame's format are coded as brightness and
// colour differences in three planes or more (YUV); not RGB, grey, palettes
// or XYZ.
bool colourDifferences(const AVFrame& frame) {
    const auto format = AVPixelFormat(frame.format);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor && descriptor->nb_components >= 3 && codedWithMatrix(format);
}

// A frame for `frame` made smaller into 8-bit 4:4:4 planes, in its matrix
// and range.
Frame smallFrame(const AVFrame& frame, QSize size) {
    Frame small = makeFrame();
    small->format = AV_PIX_FMT_YUV444P;
    small->width = size.width();
    small->height = size.height();
    small->colorspace = frame.colorspace;
    small->color_range = fullRange(frame) ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    return small;
}

// Made smaller while still colour differences, then converted by libyuv:
// scaling reads each pixel once in its own coding, and only the small
// picture is converted. Its colour keeps a sample per pixel, as it had
// converted whole and then scaled: a colour of half the resolution would
// smear thin coloured text. Pictures libyuv would not convert go into
// RGB32 in the same pass.
QImage shrunk(const AVFrame& frame, QSize size) {
    QImage picture = newPicture(size);
    Frame small = colourDifferences(frame) ? smallFrame(frame, size) : nullptr;
    if (!small || !libyuvConverts(*small)) {
        scaleInto(frame, picture);
        return picture;
    }
    check(av_frame_get_buffer(small.get(), 0), "av_frame_get_buffer");
    scalePicture(frame, *small);
    convertWithLibyuv(*small, picture);
    return picture;
}

// Converted at its own size, then enlarged: fewer pixels to convert.
QImage enlarged(const AVFrame& frame, QSize size) {
    QImage converted = newPicture(QSize(frame.width, frame.height));
    convertInto(frame, converted);
    QImage picture = newPicture(size);
    resizeBilinear(converted, picture);
    return picture;
}

}  // namespace

QImage toRgb(const AVFrame& frame, QSize size) {
    requireKnownFormat(frame);
    const QSize own(frame.width, frame.height);
    if (size.isEmpty() || size == own) {
        QImage picture = newPicture(own);
        convertInto(frame, picture);
        return picture;
    }
    if (size.width() <= own.width() && size.height() <= own.height()) return shrunk(frame, size);
    return enlarged(frame, size);
}

void toRgbInto(const AVFrame& frame, QImage& picture) {
    requireKnownFormat(frame);
    convertInto(frame, picture);
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
