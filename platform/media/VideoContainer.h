#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

namespace tavero::media {

// The demuxers of the videos the program opens, by FFmpeg's names: MP4 and
// QuickTime (mov, mp4, m4v: "mov,mp4,m4a,3gp,3g2,mj2"), Matroska and WebM,
// and MPEG-TS, which players and converters also write under those names.
// Each reads only the file it is given (with nested opens refused, a
// QuickTime track's external data is not followed).
inline constexpr const char* videoDemuxers = "mov,matroska,mpegts";

// The demuxer for the file `bytes` reads, chosen by its first bytes, which
// it then reads again from the start: one of videoDemuxers, or QuickTime's
// when nothing is recognised, which then says what it misses. The content
// chooses no other demuxer: a playlist or a list of files would have the
// library open more than the file. Throws ContainerNotSupported for a video
// of another container, MediaError when the file cannot be read.
const AVInputFormat* videoContainerOf(AVIOContext* bytes);

// Whether `context` reads MPEG-TS, which finds its streams as their packets
// arrive and keeps no index of its keyframes.
bool transportStream(const AVFormatContext* context);

}  // namespace tavero::media
