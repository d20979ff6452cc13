#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

namespace tavero::media {

// Moves `context` to the last keyframe of `stream` shown at or before
// `target` (in its time base), as av_seek_frame(AVSEEK_FLAG_BACKWARD) does
// where the container indexes its keyframes by the times they show. A
// fragmented MP4 indexes them by their decoding times, which B-frames put
// before the times shown: where the keyframe landed on shows after `target`,
// the look goes back a second, then twice as far each time. MPEG-TS indexes
// none and lands on any packet: there the packets from a second before
// `target` up to it are read (not decoded) for the last keyframe shown by
// then, whose packet the reading then starts on; from twice as far back each
// time none is among them, and at last from the start of the file. Where
// those seconds lie is found by reading a packet here and there, no byte
// twice; where the bytes before `target` are more than their time could fill
// at 256 Mbit/s (damage, a hole), the look starts after them, and without a
// keyframe there the reading does too. `context` reads through a FileInput
// (InputFile). Returns av_seek_frame's result.
int seekToKeyframe(AVFormatContext* context, const AVStream* stream, int64_t target);

// Moves `context` to a packet of `stream` at or before `target`, as
// av_seek_frame(AVSEEK_FLAG_BACKWARD) does; in MPEG-TS found as above, no
// byte read twice, within 256 KB before the last such packet.
int seekToTime(AVFormatContext* context, const AVStream* stream, int64_t target);

}  // namespace tavero::media
