#include "platform/media/MatroskaExtent.h"

#include "platform/media/MediaError.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tavero::media {

namespace {

// The end of a file without an index: its last cluster, then its tags.
constexpr int64_t tailBytes = 4 << 20;
// Packets follow each other closely; this much without one is no video.
constexpr int64_t bytesWithoutPacket = 4 << 20;
// A stream's packet this far past the end of the ones before it leaves a
// gap that nothing fills: a pause (a still canvas gives a browser's recorder
// no pictures), or damage, or a cluster timed anywhere.
constexpr int64_t gapSeconds = 60;

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

// Where a stream's packets end, as far as each follows on from the ones
// before it. A packet past a gap counts once the stream goes on from it:
// after a pause the recording goes on, while a cluster timed far away alone
// (a last one appended at 1e9 ms made a 3 s file read 277:46:41), or amid
// packets that go on from before it, is no part of what plays.
class StreamEnd {
public:
    std::optional<int64_t> end() const { return end_; }

    void take(int64_t stamp, int64_t packetEnd, int64_t gap) {
        if (!end_ || stamp <= sum(*end_, gap)) {
            end_ = std::max(end_.value_or(stamp), packetEnd);
            afterGap_.reset();
        } else if (afterGap_ && stamp >= sum(afterGap_->first, -gap) && stamp <= sum(afterGap_->second, gap)) {
            end_ = std::max(afterGap_->second, packetEnd);
            afterGap_.reset();
        } else {
            afterGap_ = {stamp, packetEnd};
        }
    }

private:
    std::optional<int64_t> end_;
    // The packet past a gap that the stream has yet to go on from: its
    // stamp and its end.
    std::optional<std::pair<int64_t, int64_t>> afterGap_;
};

class PacketsSeen {
public:
    explicit PacketsSeen(const AVFormatContext* context) : context_(context), streams_(context->nb_streams) {}

    bool any() const { return end_.has_value(); }

    MatroskaExtent extent() const {
        MatroskaExtent extent{end_, {}};
        for (const StreamEnd& stream : streams_) extent.streamEnds.push_back(stream.end());
        return extent;
    }

    void take(const AVPacket& packet) {
        if (packet.pos >= 0) end_ = std::max(end_.value_or(0), packet.pos + packet.size);
        const int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (stamp == AV_NOPTS_VALUE || unsigned(packet.stream_index) >= context_->nb_streams) return;
        const AVStream* stream = context_->streams[packet.stream_index];
        streams_[size_t(packet.stream_index)].take(stamp, sum(stamp, std::max<int64_t>(packet.duration, 0)),
                                                   av_rescale_q(gapSeconds, AVRational{1, 1}, stream->time_base));
    }

private:
    const AVFormatContext* context_;
    std::optional<int64_t> end_;
    std::vector<StreamEnd> streams_;
};

// Reads packets from where the demuxer stands, and nothing before it, for
// as long as a packet comes within bytesWithoutPacket of the one before.
PacketsSeen readPackets(const Look& look) {
    const int64_t from = avio_tell(look.context->pb);
    confineReads(look.bytes.get(), from, from + bytesWithoutPacket);
    PacketsSeen seen(look.context.get());
    Packet packet = makePacket();
    for (;;) {
        const int result = av_read_frame(look.context.get(), packet.get());
        if (result == AVERROR_EXIT) check(result, "av_read_frame");
        if (result < 0) return seen;
        seen.take(*packet);
        if (packet->pos >= 0) confineReads(look.bytes.get(), from, packet->pos + packet->size + bytesWithoutPacket);
        av_packet_unref(packet.get());
    }
}

// The packets from the last keyframe the index (cues) knows on, or without
// an index, of the file's last bytes, when it has more than them past its
// first cluster and any packet lies there. Set down in the middle of the
// file, the demuxer looks for the next cluster; it may not go back before,
// nor look for a keyframe from the first cluster on for want of an index.
std::optional<MatroskaExtent> extentOfEnd(const QString& path, const CancelToken& cancel, const DemuxerOpener& open) {
    const Look look = lookAt(path, cancel, open);
    AVIOContext* bytes = look.context->pb;
    const int64_t size = avio_size(bytes);
    const int64_t firstCluster = avio_tell(bytes);
    if (size - tailBytes <= firstCluster) return std::nullopt;
    confineReads(look.bytes.get(), firstCluster, std::numeric_limits<int64_t>::max());
    if (avio_seek(bytes, size, SEEK_SET) < 0) return std::nullopt;
    const int64_t last = std::numeric_limits<int64_t>::max() / 2;
    if (av_seek_frame(look.context.get(), -1, last, AVSEEK_FLAG_BACKWARD) < 0 &&
        avio_seek(bytes, size - tailBytes, SEEK_SET) < 0)
        return std::nullopt;
    const PacketsSeen seen = readPackets(look);
    if (!seen.any()) return std::nullopt;
    return seen.extent();
}

// The packets from the first cluster on, for as long as they keep coming.
MatroskaExtent extentFromStart(const QString& path, const CancelToken& cancel, const DemuxerOpener& open) {
    return readPackets(lookAt(path, cancel, open)).extent();
}

}  // namespace

bool isMatroska(const AVInputFormat* format) { return format && format == av_find_input_format("matroska"); }

MatroskaExtent readMatroskaExtent(const QString& path, const CancelToken& cancel, const DemuxerOpener& open) {
    if (std::optional<MatroskaExtent> end = extentOfEnd(path, cancel, open)) return std::move(*end);
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
