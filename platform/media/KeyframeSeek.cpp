#include "platform/media/KeyframeSeek.h"

#include "platform/media/MediaHandles.h"
#include "platform/media/VideoContainer.h"

#include <algorithm>
#include <optional>

namespace tavero::media {

namespace {

// Whether the next packet of `stream` is a keyframe shown by `target` (not
// one that B-frames show later); none when the file ends first.
std::optional<bool> nextIsKeyframeBy(AVFormatContext* context, const AVStream* stream, int64_t target) {
    Packet packet = makePacket();
    while (av_read_frame(context, packet.get()) >= 0) {
        const bool key = packet->flags & AV_PKT_FLAG_KEY;
        const bool shownBy = packet->pts == AV_NOPTS_VALUE || packet->pts <= target;
        if (packet->stream_index == stream->index) return key && shownBy;
        av_packet_unref(packet.get());
    }
    return std::nullopt;
}

int64_t startOf(const AVStream* stream) { return stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0; }

int64_t secondOf(const AVStream* stream) {
    return std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, stream->time_base));
}

// Where the first packet lands that is a keyframe shown by `target`: a
// container that indexes its keyframes by their times shown lands there at
// once; one that does not, on any packet or on a keyframe shown later, and
// the look goes back further until it starts on one, or at the start.
int seekByIndex(AVFormatContext* context, const AVStream* stream, int64_t target) {
    for (int64_t back = 0;; back = back == 0 ? secondOf(stream) : back * 2) {
        const int64_t at = target - back;
        const int sought = av_seek_frame(context, stream->index, at, AVSEEK_FLAG_BACKWARD);
        if (sought < 0) return sought;
        const std::optional<bool> key = nextIsKeyframeBy(context, stream, target);
        if (!key || *key || at <= startOf(stream))
            return av_seek_frame(context, stream->index, at, AVSEEK_FLAG_BACKWARD);
    }
}

// Reads on from where `context` stands until `stream` decodes past
// `target`: where the packet of its last keyframe shown by `target` starts
// in the file; none when none passed. A packet broken off by the seek is
// no keyframe.
std::optional<int64_t> lastKeyframeBy(AVFormatContext* context, const AVStream* stream, int64_t target) {
    std::optional<int64_t> found;
    Packet packet = makePacket();
    while (av_read_frame(context, packet.get()) >= 0) {
        const bool ours = packet->stream_index == stream->index;
        const int64_t shown = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const int64_t decoded = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        const bool whole = !(packet->flags & AV_PKT_FLAG_CORRUPT) && packet->pos >= 0;
        if (ours && whole && (packet->flags & AV_PKT_FLAG_KEY) && shown != AV_NOPTS_VALUE && shown <= target)
            found = packet->pos;
        const bool past = ours && decoded != AV_NOPTS_VALUE && decoded > target;
        av_packet_unref(packet.get());
        if (past) break;
    }
    return found;
}

// Reading the packets of a second costs a fraction of decoding its
// pictures, and keyframes come every second or two in most files: the
// decoding starts on the keyframe, not on the start of the file. A time at
// or before the stream's start is read from the start of the file: moved to
// by time, the reading may land after the first keyframe (whose pictures
// start after it is decoded, with B-frames) and decoded nothing.
int seekByReading(AVFormatContext* context, const AVStream* stream, int64_t target) {
    for (int64_t back = secondOf(stream);; back *= 2) {
        const bool fromStart = target - back <= startOf(stream);
        const int sought = fromStart ? av_seek_frame(context, stream->index, 0, AVSEEK_FLAG_BYTE)
                                     : av_seek_frame(context, stream->index, target - back, AVSEEK_FLAG_BACKWARD);
        if (sought < 0) return sought;
        if (const std::optional<int64_t> keyframe = lastKeyframeBy(context, stream, target))
            return av_seek_frame(context, stream->index, *keyframe, AVSEEK_FLAG_BYTE);
        if (fromStart) return av_seek_frame(context, stream->index, 0, AVSEEK_FLAG_BYTE);
    }
}

}  // namespace

int seekToKeyframe(AVFormatContext* context, const AVStream* stream, int64_t target) {
    if (transportStream(context)) return seekByReading(context, stream, target);
    return seekByIndex(context, stream, target);
}

}  // namespace tavero::media
