#pragma once

#include "platform/media/MediaHandles.h"

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

}  // namespace tavero::media
