#include "platform/camera/CameraDecoder.h"

#include "platform/media/MediaError.h"
#include "platform/media/PictureConversion.h"

namespace tavero::media {

CameraDecoder::CameraDecoder(const AVStream* stream) : decoder_(openDecoder(stream)), frame_(makeFrame()) {}

void CameraDecoder::decode(const AVPacket* packet, const Picture& picture) {
    if (avcodec_send_packet(decoder_.get(), packet) < 0) return;
    while (avcodec_receive_frame(decoder_.get(), frame_.get()) >= 0) {
        QImage converted = pictures_.take(QSize(frame_->width, frame_->height));
        if (converted.isNull()) throw MediaError("picture memory", AVERROR(ENOMEM));
        toRgbInto(*frame_, converted);
        av_frame_unref(frame_.get());
        picture(converted);
    }
}

}  // namespace tavero::media
