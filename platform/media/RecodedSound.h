#pragma once

#include "platform/media/MediaHandles.h"
#include "platform/media/SoundEncoder.h"
#include "platform/media/SoundResampling.h"

#include <functional>
#include <optional>
#include <vector>

namespace tavero::media {

// Sound that an MP4 file takes as it is and players play from it: AAC,
// MP3, AC-3 and E-AC-3. Any other (a camera's PCM, Vorbis, FLAC...) is coded
// again as AAC.
bool copiedIntoMp4(const AVCodecParameters* sound);

// A sound track coded again as AAC, 48 kHz stereo (SoundEncoder): the
// stretch of it from `start` to `end` seconds, from time zero on. A frame's
// seconds are its time in the stream less `origin`. One thread at a time.
class RecodedSound {
public:
    using Ready = std::function<void(AVPacket*)>;

    // Throws SourceError when the track cannot be decoded, MediaError.
    RecodedSound(const AVStream* from, double origin, double start, double end, bool globalHeader);

    // What the output stream is made from; its packets count in its time base.
    const AVCodecContext* encoder() const { return encoder_.context(); }

    // Decodes `packet` and hands every packet coded to `ready`, which takes
    // it over. Throws MediaError.
    void take(const AVPacket& packet, const Ready& ready);
    // Codes what the decoder and the encoder still hold; nothing more is
    // taken afterwards.
    void finish(const Ready& ready);

private:
    void decode(const AVPacket* packet, const Ready& ready);
    void lay(const std::vector<float>& samples, const Ready& ready);
    void silenceUntil(int64_t position, const Ready& ready);

    const AVStream* from_;
    double origin_;
    double start_;
    int64_t length_;
    CodecContext decoder_;
    InterleavedSound sound_;
    SoundEncoder encoder_;
    Frame frame_;
    // Output samples from the stretch's start: where the next converted one
    // lies, and how many were coded.
    std::optional<int64_t> next_;
    int64_t coded_ = 0;
};

}  // namespace tavero::media
