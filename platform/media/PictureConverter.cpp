#include "platform/media/PictureConverter.h"

#include "platform/media/MediaError.h"

#include <libyuv/convert_from_argb.h>
#include <libyuv/scale_argb.h>

namespace tavero::media {

namespace {

bool convertible(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

PictureConverter::PictureConverter(QSize size) : size_(size) {}

Frame PictureConverter::makeFrame() const {
    Frame frame = media::makeFrame();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size_.width();
    frame->height = size_.height();
    frame->color_range = AVCOL_RANGE_MPEG;
    frame->colorspace = AVCOL_SPC_SMPTE170M;
    check(av_frame_get_buffer(frame.get(), 0), "av_frame_get_buffer");
    return frame;
}

void PictureConverter::convert(const QImage& picture, AVFrame& frame) {
    const QImage& source = fitted(picture);
    check(av_frame_make_writable(&frame), "av_frame_make_writable");
    if (libyuv::ARGBToI420(source.constBits(), int(source.bytesPerLine()), frame.data[0], frame.linesize[0],
                           frame.data[1], frame.linesize[1], frame.data[2], frame.linesize[2], size_.width(),
                           size_.height()) != 0)
        throw MediaError("ARGBToI420", AVERROR(EINVAL));
}

const QImage& PictureConverter::fitted(const QImage& picture) {
    if (picture.size() == size_ && convertible(picture.format())) return picture;
    const QImage source = convertible(picture.format()) ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (canvas_.size() != size_) canvas_ = QImage(size_, QImage::Format_RGB32);
    canvas_.fill(Qt::black);
    const QSize inside = source.size().scaled(size_, Qt::KeepAspectRatio).boundedTo(size_);
    if (inside.isEmpty()) return canvas_;
    const QPoint at((size_.width() - inside.width()) / 2, (size_.height() - inside.height()) / 2);
    libyuv::ARGBScale(source.constBits(), int(source.bytesPerLine()), source.width(), source.height(),
                      canvas_.scanLine(at.y()) + at.x() * 4, int(canvas_.bytesPerLine()), inside.width(),
                      inside.height(), libyuv::kFilterBilinear);
    return canvas_;
}

}  // namespace tavero::media
