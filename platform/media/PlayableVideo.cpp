#include "platform/media/PlayableVideo.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavero::media {

namespace {

// The last picture is looked for this long before the end, and any picture
// within the tolerance of a wanted time will do.
constexpr double endMargin = 0.1;
constexpr double tolerance = 0.2;

// The playable span of `stream` in its own time base.
struct Extent {
    int64_t start = 0;
    int64_t length = 0;
    bool cutShort = false;
    // Samples decoded from here on (their dts) lie in the cut-off fragment.
    int64_t endDts = std::numeric_limits<int64_t>::max();
};

// The sample index tells where each sample lies without reading it: a sample
// reaching past the end of the file belongs to a fragment cut off mid-write,
// and playback can only be trusted up to the keyframe before it.
Extent playableExtent(AVFormatContext* context, AVStream* stream) {
    Extent extent;
    extent.start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    extent.length = declaredLength(context, stream);
    const int64_t fileSize = avio_size(context->pb);
    const int count = avformat_index_get_entries_count(stream);
    if (fileSize <= 0 || count == 0) return extent;
    int lastKeyframe = -1;
    for (int index = 0; index < count; ++index) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, index);
        if (entry->pos + entry->size > fileSize) {
            const int64_t first = avformat_index_get_entry(stream, 0)->timestamp;
            const int64_t cut = lastKeyframe < 0 ? first : avformat_index_get_entry(stream, lastKeyframe)->timestamp;
            extent.length = std::min(extent.length, cut - first);
            extent.cutShort = true;
            extent.endDts = cut;
            break;
        }
        if (entry->flags & AVINDEX_KEYFRAME) lastKeyframe = index;
    }
    return extent;
}

// Decodes pictures of one stream on demand.
class PictureProbe {
public:
    PictureProbe(const InputFile& input, const AVStream* stream, const Extent& extent)
        : input_(input),
          stream_(stream),
          extent_(extent),
          decoder_(openDecoder(stream)),
          packet_(makePacket()),
          frame_(makeFrame()) {}

    // Decodes a picture at `seconds` from the start (within the tolerance),
    // or the last one before the end of what is playable.
    void decodeAt(double seconds) {
        const AVRational base = stream_->time_base;
        const int64_t target = extent_.start + std::llround(seconds / av_q2d(base));
        const int64_t earliest = target - std::llround(tolerance / av_q2d(base));
        check(av_seek_frame(input_.get(), stream_->index, target, AVSEEK_FLAG_BACKWARD), "av_seek_frame");
        avcodec_flush_buffers(decoder_.get());
        bool decoded = false;
        while (readPacket()) {
            check(avcodec_send_packet(decoder_.get(), packet_.get()), "avcodec_send_packet");
            av_packet_unref(packet_.get());
            while (receive()) {
                decoded = true;
                const int64_t time = frame_->best_effort_timestamp;
                if (time == AV_NOPTS_VALUE || time >= earliest) return;
            }
        }
        check(avcodec_send_packet(decoder_.get(), nullptr), "avcodec_send_packet");
        while (receive()) decoded = true;
        if (!decoded) throw MediaError("no picture decoded", AVERROR_INVALIDDATA);
    }

private:
    // The next packet of the stream within the playable extent.
    bool readPacket() {
        for (;;) {
            input_.throwIfCancelled();
            const int result = av_read_frame(input_.get(), packet_.get());
            if (result == AVERROR_EOF) return false;
            check(result, "av_read_frame");
            if (packet_->stream_index != stream_->index) {
                av_packet_unref(packet_.get());
                continue;
            }
            const bool beyond = packet_->dts != AV_NOPTS_VALUE && packet_->dts >= extent_.endDts;
            if (beyond || (packet_->flags & AV_PKT_FLAG_CORRUPT)) {
                av_packet_unref(packet_.get());
                return false;
            }
            return true;
        }
    }

    bool receive() {
        av_frame_unref(frame_.get());
        const int result = avcodec_receive_frame(decoder_.get(), frame_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return false;
        check(result, "avcodec_receive_frame");
        return true;
    }

    const InputFile& input_;
    const AVStream* stream_;
    Extent extent_;
    CodecContext decoder_;
    Packet packet_;
    Frame frame_;
};

}  // namespace

PlayableVideo measurePlayableVideo(const QString& path, const CancelToken& cancel) {
    InputFile input(path, cancel);
    AVStream* stream = firstVideoStream(input.get());
    const Extent extent = playableExtent(input.get(), stream);
    const double duration = double(extent.length) * av_q2d(stream->time_base);
    if (!std::isfinite(duration) || duration <= 0) throw MediaError("no playable duration", AVERROR_INVALIDDATA);
    PictureProbe pictures(input, stream, extent);
    pictures.decodeAt(0);
    pictures.decodeAt(std::max(duration - endMargin, 0.0));
    return {duration, extent.cutShort};
}

}  // namespace tavero::media
