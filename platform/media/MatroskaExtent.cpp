#include "platform/media/MatroskaExtent.h"

#include "platform/media/MediaError.h"

#include <algorithm>
#include <limits>

namespace tavero::media {

namespace {

// The end of a file: its last cluster, then its index and tags.
constexpr int64_t tailBytes = 4 << 20;
// Packets follow each other closely; this much without one is no video.
constexpr int64_t bytesWithoutPacket = 4 << 20;
// A stream's packet this far past the end of the ones before it is no part
// of what plays: no picture or sound fills the time between.
constexpr int64_t longestGapSeconds = 60;

// `a` + `b`, held at the largest time there is: a crafted cluster may be
// timed anywhere.
int64_t sum(int64_t a, int64_t b) {
    int64_t total = 0;
    return __builtin_add_overflow(a, b, &total) ? std::numeric_limits<int64_t>::max() : total;
}

// A demuxer of its own over bytes of its own, which it outlives.
struct Look {
    FileInput bytes;
    InputContext context;
};

Look lookAt(const QString& path, const CancelToken& cancel, const DemuxerOpener& open) {
    Look look{openFileInput(path, cancel), nullptr};
    look.context = open(look.bytes.get());
    return look;
}

class PacketsSeen {
public:
    explicit PacketsSeen(const AVFormatContext* context) : context_(context) {
        extent_.streamEnds.resize(context->nb_streams);
    }

    bool any() const { return extent_.end.has_value(); }
    const MatroskaExtent& extent() const { return extent_; }

    void take(const AVPacket& packet) {
        if (packet.pos >= 0) extent_.end = std::max(extent_.end.value_or(0), packet.pos + packet.size);
        const int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (stamp == AV_NOPTS_VALUE || unsigned(packet.stream_index) >= context_->nb_streams) return;
        const AVStream* stream = context_->streams[packet.stream_index];
        std::optional<int64_t>& end = extent_.streamEnds[size_t(packet.stream_index)];
        const int64_t gap = av_rescale_q(longestGapSeconds, AVRational{1, 1}, stream->time_base);
        if (end && stamp > sum(*end, gap)) return;
        end = std::max(end.value_or(stamp), sum(stamp, std::max<int64_t>(packet.duration, 0)));
    }

private:
    const AVFormatContext* context_;
    MatroskaExtent extent_;
};

// Reads packets until the file, or what `bytes` holds, ends; each moves the
// end of what it holds `slide` bytes past it, when given.
void readPackets(AVFormatContext* context, PacketsSeen& seen, std::optional<int64_t> slide) {
    Packet packet = makePacket();
    for (;;) {
        const int result = av_read_frame(context, packet.get());
        if (result == AVERROR_EXIT) check(result, "av_read_frame");
        if (result < 0) return;
        seen.take(*packet);
        if (slide && packet->pos >= 0) confineReads(context->pb, 0, packet->pos + packet->size + *slide);
        av_packet_unref(packet.get());
    }
}

// The packets of the file's last bytes, when it has more than them past its
// first cluster and any of them lies there. The demuxer, made to start in the
// middle of the file, looks for the next cluster; it may not go back before.
std::optional<MatroskaExtent> extentOfTail(const QString& path, const CancelToken& cancel,
                                           const DemuxerOpener& open) {
    const Look look = lookAt(path, cancel, open);
    const int64_t tail = avio_size(look.context->pb) - tailBytes;
    if (tail <= avio_tell(look.context->pb)) return std::nullopt;
    confineReads(look.bytes.get(), tail, std::numeric_limits<int64_t>::max());
    if (avio_seek(look.context->pb, tail, SEEK_SET) < 0) return std::nullopt;
    PacketsSeen seen(look.context.get());
    readPackets(look.context.get(), seen, std::nullopt);
    if (!seen.any()) return std::nullopt;
    return seen.extent();
}

// The packets from the first cluster on, for as long as they keep coming.
MatroskaExtent extentFromStart(const QString& path, const CancelToken& cancel, const DemuxerOpener& open) {
    const Look look = lookAt(path, cancel, open);
    confineReads(look.bytes.get(), 0, avio_tell(look.context->pb) + bytesWithoutPacket);
    PacketsSeen seen(look.context.get());
    readPackets(look.context.get(), seen, bytesWithoutPacket);
    return seen.extent();
}

}  // namespace

bool isMatroska(const AVInputFormat* format) { return format && format == av_find_input_format("matroska"); }

MatroskaExtent readMatroskaExtent(const QString& path, const CancelToken& cancel, const DemuxerOpener& open) {
    if (std::optional<MatroskaExtent> tail = extentOfTail(path, cancel, open)) return std::move(*tail);
    return extentFromStart(path, cancel, open);
}

void giveStreamLengths(AVFormatContext* context, const MatroskaExtent& extent) {
    const bool guessed = context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    for (unsigned index = 0; index < context->nb_streams && index < extent.streamEnds.size(); ++index) {
        AVStream* stream = context->streams[index];
        const std::optional<int64_t>& end = extent.streamEnds[index];
        const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        if (end && *end > start)
            stream->duration = sum(*end, -start);
        else if (guessed)
            stream->duration = AV_NOPTS_VALUE;
    }
    if (guessed) context->duration = AV_NOPTS_VALUE;
}

}  // namespace tavero::media
