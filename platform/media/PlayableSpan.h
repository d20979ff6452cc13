#pragma once

#include "platform/media/MediaHandles.h"

#include <cstdint>
#include <limits>

namespace tavero::media {

// The span of a video stream that can be played, in the stream's own time
// base, read from the file's sample index without decoding.
struct PlayableSpan {
    int64_t start = 0;
    int64_t length = 0;
    // The file ends inside a sample (its writer was killed, or it was cut
    // short): what lies past `length` is incomplete.
    bool cutShort = false;
    // Samples decoded from here on (their dts) lie in the cut-off part.
    int64_t endDts = std::numeric_limits<int64_t>::max();

    double seconds(const AVStream* stream) const { return double(length) * av_q2d(stream->time_base); }
};

// What the stream declares of its own length (MP4 and QuickTime by its
// samples' durations, MPEG-TS by its last time), as far as its last packet
// for a stream that declares none (Matroska); and when a sample of its index
// reaches past the end of the file, up to the keyframe before that sample:
// for our fragmented parts, the end of the last complete fragment.
PlayableSpan playableSpan(AVFormatContext* context, AVStream* stream);

}  // namespace tavero::media
