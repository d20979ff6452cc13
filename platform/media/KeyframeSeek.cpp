#include "platform/media/KeyframeSeek.h"

#include "platform/media/MediaHandles.h"
#include "platform/media/VideoContainer.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace tavero::media {

namespace {

// What a second of MPEG-TS fills at most: 256 Mbit/s, five times a
// Blu-ray's most. More bytes between two times are damage or a hole.
constexpr int64_t bytesPerSecondAtMost = int64_t(32) << 20;
// How near in bytes the look for a time comes before reading on from there.
constexpr int64_t closeEnough = 256 << 10;
// Room for a packet that starts before a place to end past it.
constexpr int64_t packetRoom = 4 << 20;

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

// Reads of `context` end at byte `until` as at the end of the file while
// this lives.
class ReadsUpTo {
public:
    ReadsUpTo(AVFormatContext* context, int64_t until) : bytes_(context->pb) { confineReads(bytes_, 0, until); }
    ~ReadsUpTo() { confineReads(bytes_, 0, std::numeric_limits<int64_t>::max()); }
    ReadsUpTo(const ReadsUpTo&) = delete;
    ReadsUpTo& operator=(const ReadsUpTo&) = delete;

private:
    AVIOContext* bytes_;
};

// A packet of a stream: when it is decoded, and where it starts in the file.
struct PacketAt {
    int64_t decoded = 0;
    int64_t pos = 0;
};

// The first packet of `stream` with a time that starts between bytes
// `from` and `until`, past which nothing is read: damage beyond is read once
// however often the look for a time comes back before it.
std::optional<PacketAt> firstPacketWithin(AVFormatContext* context, const AVStream* stream, int64_t from,
                                          int64_t until) {
    Packet packet = makePacket();
    const ReadsUpTo confined(context, until);
    if (av_seek_frame(context, stream->index, from, AVSEEK_FLAG_BYTE) < 0) return std::nullopt;
    while (av_read_frame(context, packet.get()) >= 0) {
        const int64_t decoded = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        const bool placed = packet->stream_index == stream->index && decoded != AV_NOPTS_VALUE && packet->pos >= from;
        const PacketAt at{decoded, packet->pos};
        av_packet_unref(packet.get());
        if (placed) return at;
    }
    return std::nullopt;
}

// What a look for a time read: from where, and the first packet there.
struct Probe {
    int64_t from = 0;
    std::optional<PacketAt> first;
};

// Where the packets decoded by a time lie: the reading for them starts at
// `from`, whose packet is decoded at `fromTime`, and none starts at or past
// `before`, where the first packet after them is decoded at `beforeTime`.
struct Landing {
    int64_t from = 0;
    int64_t fromTime = 0;
    int64_t before = 0;
    std::optional<int64_t> beforeTime;
};

// What `probe` tells of where the packets decoded by `time` end; packets
// are decoded in the order they lie in.
void narrow(Landing& landing, const Probe& probe, int64_t time) {
    if (probe.first && probe.first->decoded <= time) {
        if (probe.first->pos <= landing.from) return;
        landing.from = probe.first->pos;
        landing.fromTime = probe.first->decoded;
    } else if (probe.from < landing.before) {
        landing.before = probe.from;
        if (probe.first) landing.beforeTime = probe.first->decoded;
    }
}

// Where to look next for `time` between the ends of `landing`: where the
// bytes between them put it, were they spread evenly over their times, but
// not in their first or last sixteenth, so that each look leaves fifteen
// sixteenths at most; halfway when a time is missing.
int64_t nextLook(const Landing& landing, int64_t time) {
    const int64_t bytes = landing.before - landing.from;
    if (!landing.beforeTime || *landing.beforeTime <= landing.fromTime) return landing.from + bytes / 2;
    const double share = double(time - landing.fromTime) / double(*landing.beforeTime - landing.fromTime);
    return landing.from + int64_t(double(bytes) * std::clamp(share, 1.0 / 16, 15.0 / 16));
}

// Where the packets of `stream` decoded by `time` end, within closeEnough:
// each look reads from a place in the bytes left up to the first packet
// there, and no further than the bytes left; what was read for a look at a
// later time (`probes`) is taken again. FFmpeg's own look for a time in
// MPEG-TS reads on from each place until a packet comes, and over damage
// between its places and the time, each read through the damage again: nine
// times to move a second before 200 MB of random bytes. Here no byte is read
// twice.
Landing landingAt(AVFormatContext* context, const AVStream* stream, int64_t time, std::vector<Probe>& probes) {
    Landing landing{0, startOf(stream), avio_size(context->pb), std::nullopt};
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        landing.beforeTime = startOf(stream) + stream->duration;
    for (const Probe& probe : probes) narrow(landing, probe, time);
    const auto look = [&](int64_t place) {
        probes.push_back({place, firstPacketWithin(context, stream, place, landing.before)});
        narrow(landing, probes.back(), time);
    };
    // Without a length, the last bytes tell the time at the end.
    if (!landing.beforeTime && landing.before - landing.from > closeEnough) look(landing.before - closeEnough);
    while (landing.before - landing.from > closeEnough) look(nextLook(landing, time));
    return landing;
}

// The first packet from byte `from` on, where a look read over it.
std::optional<PacketAt> alreadyRead(const std::vector<Probe>& probes, int64_t from) {
    for (const Probe& probe : probes)
        if (probe.from <= from && probe.first && probe.first->pos >= from) return probe.first;
    return std::nullopt;
}

// When the `back` before `target` start further before `landing` (where the
// reading for `target` starts) than they could fill at bytesPerSecondAtMost:
// the first packet of `stream` that many bytes before `landing`, which lies
// after the damage or the hole between. None when they start within them.
std::optional<int64_t> pastGap(AVFormatContext* context, const AVStream* stream, int64_t target, int64_t back,
                               int64_t landing, const std::vector<Probe>& probes) {
    const double seconds = double(back) * av_q2d(stream->time_base);
    const int64_t from = landing - int64_t(seconds * double(bytesPerSecondAtMost));
    if (from <= 0) return std::nullopt;
    std::optional<PacketAt> first = alreadyRead(probes, from);
    if (!first) first = firstPacketWithin(context, stream, from, std::numeric_limits<int64_t>::max());
    if (!first || first->pos > landing || first->decoded <= target - back) return std::nullopt;
    return first->pos;
}

// lastKeyframeBy from byte `from`, reading nothing past `until`.
std::optional<int64_t> lastKeyframeWithin(AVFormatContext* context, const AVStream* stream, int64_t target,
                                          int64_t from, int64_t until) {
    const ReadsUpTo confined(context, until);
    if (av_seek_frame(context, stream->index, from, AVSEEK_FLAG_BYTE) < 0) return std::nullopt;
    return lastKeyframeBy(context, stream, target);
}

// Reading the packets of a second costs a fraction of decoding its
// pictures, and keyframes come every second or two in most files: the
// decoding starts on the keyframe, not on the start of the file. A time at
// or before the stream's start is read from the start of the file: moved to
// by time, the reading may land after the first keyframe (whose pictures
// start after it is decoded, with B-frames) and decoded nothing. Where the
// bytes before the target hold too little time for a look back (damage, a
// hole), the look starts after them, and so does the reading when no
// keyframe lies there, as FFmpeg's own seek to the target lands: looking back
// across 200 MB of random bytes read them five times for a trim after them.
// Nothing is read past where the packets decoded by the target end.
int seekByReading(AVFormatContext* context, const AVStream* stream, int64_t target) {
    std::vector<Probe> probes;
    std::optional<Landing> landing;
    for (int64_t back = secondOf(stream);; back *= 2) {
        const bool fromStart = target - back <= startOf(stream);
        if (!fromStart && !landing) landing = landingAt(context, stream, target, probes);
        const std::optional<int64_t> past =
            fromStart ? std::nullopt : pastGap(context, stream, target, back, landing->from, probes);
        const int64_t from = fromStart ? 0
                             : past    ? *past
                                       : landingAt(context, stream, target - back, probes).from;
        const int64_t until = landing ? landing->before + packetRoom : std::numeric_limits<int64_t>::max();
        if (const std::optional<int64_t> keyframe = lastKeyframeWithin(context, stream, target, from, until))
            return av_seek_frame(context, stream->index, *keyframe, AVSEEK_FLAG_BYTE);
        if (fromStart || past) return av_seek_frame(context, stream->index, from, AVSEEK_FLAG_BYTE);
    }
}

}  // namespace

int seekToKeyframe(AVFormatContext* context, const AVStream* stream, int64_t target) {
    if (transportStream(context)) return seekByReading(context, stream, target);
    return seekByIndex(context, stream, target);
}

int seekToTime(AVFormatContext* context, const AVStream* stream, int64_t target) {
    if (!transportStream(context)) return av_seek_frame(context, stream->index, target, AVSEEK_FLAG_BACKWARD);
    std::vector<Probe> probes;
    const int64_t from = target <= startOf(stream) ? 0 : landingAt(context, stream, target, probes).from;
    return av_seek_frame(context, stream->index, from, AVSEEK_FLAG_BYTE);
}

}  // namespace tavero::media
