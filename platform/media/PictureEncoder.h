#pragma once

#include "platform/memory/ReusedMemory.h"
#include "platform/media/PictureConverter.h"
#include "platform/media/MediaHandles.h"

#include <QImage>
#include <QSize>

#include <functional>
#include <memory>

namespace tavero::media {

// How pictures are coded, by default as a recording's parts take them:
// quick enough to keep pace with the screen and fine enough that a still
// page of text stays crisp. No B-frames in any case.
struct PictureCoding {
    // "libx264" or "libx265".
    const char* encoder = "libx264";
    // Chosen by the recording benchmark: the quickest preset whose pictures
    // of a still page of text decode back above 40 dB.
    const char* preset = "ultrafast";
    // The constant rate factor.
    const char* quality = "20";
    // Pictures' times are counted in these steps; live pictures carry their own.
    AVRational timeBase{1, 90000};
    // The rate the rate control assumes.
    int rate = 30;
    // The longest stretch of pictures without a keyframe (live parts force
    // one every second of picture time besides).
    int keyframeInterval = 60;
    // Every picture leaves the encoder as soon as it goes in, as live parts
    // need; a file written at once does better with the encoder's lookahead
    // and a picture for each of its threads.
    bool immediate = true;
    // The width of a pixel against its height (PixelAspect.h); 0:1 leaves
    // it unsaid.
    AVRational pixelAspect{0, 1};
};

// Pictures coded into H.264 or HEVC: converted with libyuv's BT.601
// limited-range matrix and tagged so. One thread at a time.
class PictureEncoder {
public:
    // The live pictures of a recording's parts carry their own time in these steps.
    static constexpr AVRational timeBase = PictureCoding{}.timeBase;
    // Takes over each coded packet handed to it.
    using Ready = std::function<void(AVPacket*)>;

    // `size` is even in both directions. Throws MediaError.
    PictureEncoder(QSize size, bool globalHeader, const PictureCoding& coding = {});

    const AVCodecContext* context() const { return encoder_.get(); }

    // Encodes `picture` (RGB32 or ARGB32, converted otherwise; another size
    // is fitted in, its aspect kept, on black) shown from `pts` on, a
    // keyframe when asked. Every packet ready is handed to `ready`, which
    // takes it over. Throws MediaError.
    void encode(const QImage& picture, int64_t pts, bool keyframe, const Ready& ready);
    // Whether a decoded picture can be coded as it is, with no conversion:
    // 4:2:0 of the encoder's size, in the matrix and range we tag.
    bool takesAsIs(const AVFrame& picture) const;
    // Encodes a picture that takesAsIs() (decoded, or converted by a
    // PictureConverter of the encoder's size), shown from `pts` on, a
    // keyframe when asked. The picture's memory is shared with the encoder,
    // not copied; PictureConverter::convert() waits for nothing and copies
    // nothing when it reuses it after this call.
    void encode(const AVFrame& picture, int64_t pts, bool keyframe, const Ready& ready);
    // Hands over the packets the encoder still holds.
    void flush(const Ready& ready);

private:
    void drain(const Ready& ready);

    // Before the encoder, which refers to it.
    std::shared_ptr<ReusedMemory> packetMemory_;
    CodecContext encoder_;
    Packet packet_;
    PictureConverter converter_;
    Frame frame_;
};

}  // namespace tavero::media
