#pragma once

#include "platform/media/MediaHandles.h"

#include <QImage>
#include <QSize>

#include <functional>

namespace tavero::media {

// H.264 of live pictures for a recording's parts: libx264 with no B-frames,
// quick enough to keep pace with the screen and fine enough that a still
// page of text stays crisp; pictures converted with libyuv's BT.601
// limited-range matrix and tagged so. One thread at a time.
class PictureEncoder {
public:
    // Pictures carry their own time in these steps.
    static constexpr AVRational timeBase{1, 90000};

    // `size` is even in both directions. Throws MediaError.
    PictureEncoder(QSize size, bool globalHeader);

    const AVCodecContext* context() const { return encoder_.get(); }

    // Encodes `picture` (RGB32 or ARGB32, converted otherwise; another size
    // is fitted in, its aspect kept, on black) shown from `pts` on, a
    // keyframe when asked. Every packet ready is handed to `ready`, which
    // takes it over. Throws MediaError.
    void encode(const QImage& picture, int64_t pts, bool keyframe, const std::function<void(AVPacket*)>& ready);
    // Hands over the packets the encoder still holds.
    void flush(const std::function<void(AVPacket*)>& ready);

private:
    const QImage& fitted(const QImage& picture);
    void drain(const std::function<void(AVPacket*)>& ready);

    CodecContext encoder_;
    Frame frame_;
    Packet packet_;
    QImage canvas_;
};

}  // namespace tavero::media
