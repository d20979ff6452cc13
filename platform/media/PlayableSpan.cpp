#include "platform/media/PlayableSpan.h"

#include <algorithm>
#include <optional>

namespace tavero::media {

namespace {

// Where the last packet of `stream` ends, in its time base: read from the
// last keyframe the index knows before the file's declared end (Matroska's
// cues) to the end of the file, without decoding. Then the file is read
// again from the stream's start. None when the file cannot be moved in.
std::optional<int64_t> lastPacketEnd(AVFormatContext* context, AVStream* stream, int64_t start) {
    const int64_t declared = declaredLength(context, stream);
    if (av_seek_frame(context, stream->index, start + declared, AVSEEK_FLAG_BACKWARD) < 0) return std::nullopt;
    std::optional<int64_t> end;
    Packet packet = makePacket();
    while (av_read_frame(context, packet.get()) >= 0) {
        if (packet->stream_index == stream->index && packet->pts != AV_NOPTS_VALUE)
            end = std::max(end.value_or(packet->pts), packet->pts + std::max<int64_t>(packet->duration, 0));
        av_packet_unref(packet.get());
    }
    av_seek_frame(context, stream->index, start, AVSEEK_FLAG_BACKWARD);
    return end;
}

// A stream that declares no length of its own (Matroska declares one for
// the whole file, which may say anything) lasts as far as its packets.
int64_t contentLength(AVFormatContext* context, AVStream* stream, int64_t start) {
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) return stream->duration;
    const std::optional<int64_t> end = lastPacketEnd(context, stream, start);
    return end ? std::max<int64_t>(*end - start, 0) : declaredLength(context, stream);
}

}  // namespace

// The sample index tells where each sample lies without reading it: a sample
// reaching past the end of the file belongs to a part cut off mid-write, and
// playback can only be trusted up to the keyframe before it.
PlayableSpan playableSpan(AVFormatContext* context, AVStream* stream) {
    PlayableSpan span;
    span.start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    span.length = contentLength(context, stream, span.start);
    const int64_t fileSize = avio_size(context->pb);
    const int count = avformat_index_get_entries_count(stream);
    if (fileSize <= 0 || count == 0) return span;
    int lastKeyframe = -1;
    for (int index = 0; index < count; ++index) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, index);
        if (entry->pos + entry->size > fileSize) {
            const int64_t first = avformat_index_get_entry(stream, 0)->timestamp;
            const int64_t cut = lastKeyframe < 0 ? first : avformat_index_get_entry(stream, lastKeyframe)->timestamp;
            span.length = std::min(span.length, cut - first);
            span.cutShort = true;
            span.endDts = cut;
            break;
        }
        if (entry->flags & AVINDEX_KEYFRAME) lastKeyframe = index;
    }
    return span;
}

}  // namespace tavero::media
