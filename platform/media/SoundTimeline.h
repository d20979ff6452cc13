#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

struct SwrContext;

namespace tavero::media {

// The sound of one input placed on a part's clock. Chunks stamped with the
// time their first sample was captured become 48 kHz stereo samples at their
// place from the part's time zero: sound before zero is dropped, a gap is
// filled with silence, an overlap is trimmed, and the slow drift between the
// sound card's clock and ours is absorbed by stretching the sound by up to
// 1 % (libswresample's timestamp compensation). One thread at a time.
class SoundTimeline {
public:
    static constexpr int rate = 48000;
    static constexpr int channels = 2;

    SoundTimeline();
    ~SoundTimeline();
    SoundTimeline(const SoundTimeline&) = delete;
    SoundTimeline& operator=(const SoundTimeline&) = delete;

    // `frames` interleaved samples of `inputChannels` at `inputRate`, the
    // first captured `start` seconds after time zero (negative: before it).
    // A change of format starts the conversion again. Throws MediaError.
    void add(const float* samples, int frames, int inputChannels, int inputRate, double start);

    // The position (in samples from time zero) just after the last sample held.
    qint64 end() const { return end_; }

    // Fills `out` with the `frames` stereo samples from position `from` on,
    // silence where none are held, and forgets everything before the end of
    // that span. Returns how many of them were sound rather than filling.
    int read(qint64 from, int frames, float* out);

private:
    struct SwrFree {
        void operator()(SwrContext* context) const noexcept;
    };
    void configure(int inputChannels, int inputRate);

    std::unique_ptr<SwrContext, SwrFree> resampler_;
    int inputChannels_ = 0;
    int inputRate_ = 0;
    // Stereo samples of the positions [end_ - held_.size() / 2, end_).
    std::vector<float> held_;
    qint64 end_ = 0;
};

}  // namespace tavero::media
