#pragma once

#include "platform/media/MediaHandles.h"

#include <vector>

namespace tavero::media {

// A resampler from sound in `input` channels, `inputFormat` at `inputRate`
// to `output`, `outputFormat` at `outputRate`, set up but not initialised:
// the caller adds its own options, then swr_init. Fewer channels are mixed
// down as the channels' levels say, scaled so that no side is ever louder
// than the loudest channel: libswresample scales its matrix so only for
// integer formats, and a float side past full scale clips where it is
// played or encoded. A layout without named channels, or in an order of
// its own, is taken as the usual one for its channel count; for a count
// FFmpeg has none for (10 channels, say), every channel goes to every output
// channel alike, at 1 / channels. Throws MediaError.
Resampler allocateResampler(const AVChannelLayout& input, AVSampleFormat inputFormat, int inputRate,
                            const AVChannelLayout& output, AVSampleFormat outputFormat, int outputRate);

// Sound frames of any format as interleaved floats of `channels` (mono or
// stereo) at `rate`, through a resampler made for the first frame. One
// thread at a time.
class InterleavedSound {
public:
    InterleavedSound(int channels, int rate) : channels_(channels), rate_(rate) {}

    // `frame`'s sound; the resampler may hold some of it back. Throws MediaError.
    std::vector<float> convert(const AVFrame& frame);
    // What the resampler holds back.
    std::vector<float> drain();
    // The next frame starts anew, from another time.
    void reset() { resampler_.reset(); }

private:
    std::vector<float> run(const uint8_t** input, int count);

    int channels_;
    int rate_;
    Resampler resampler_;
};

}  // namespace tavero::media
