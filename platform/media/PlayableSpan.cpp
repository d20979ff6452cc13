#include "platform/media/PlayableSpan.h"

#include <algorithm>

namespace tavero::media {

// The sample index tells where each sample lies without reading it: a sample
// reaching past the end of the file belongs to a part cut off mid-write, and
// playback can only be trusted up to the keyframe before it.
PlayableSpan playableSpan(AVFormatContext* context, AVStream* stream) {
    PlayableSpan span;
    span.start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    span.length = declaredLength(context, stream);
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
