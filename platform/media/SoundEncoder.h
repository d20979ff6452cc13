#pragma once

#include "platform/media/MediaHandles.h"

#include <functional>
#include <vector>

namespace tavero::media {

// AAC-LC, 48 kHz stereo, of consecutive samples from time zero on, in the
// encoder's own frames of 1024. One thread at a time.
class SoundEncoder {
public:
    // Throws MediaError.
    explicit SoundEncoder(bool globalHeader);

    const AVCodecContext* context() const { return encoder_.get(); }

    // Interleaved stereo floats following the previous ones; every packet
    // ready is handed to `ready`, which takes it over. Throws MediaError.
    void encode(const float* samples, int frames, const std::function<void(AVPacket*)>& ready);
    // Encodes what is left (a shorter last frame) and hands over the rest.
    void flush(const std::function<void(AVPacket*)>& ready);

private:
    void send(int frames, const std::function<void(AVPacket*)>& ready);
    void drain(const std::function<void(AVPacket*)>& ready);

    CodecContext encoder_;
    Frame frame_;
    Packet packet_;
    std::vector<float> waiting_;
    int64_t next_ = 0;
};

}  // namespace tavero::media
