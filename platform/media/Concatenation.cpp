#include "platform/media/Concatenation.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavero::media {

namespace {

// Where the packets of one output track have got to.
struct Track {
    AVStream* stream = nullptr;
    bool video = false;
    // A packet that plays has been written: pre-roll is no longer welcome.
    bool started = false;
    int64_t lastDts = AV_NOPTS_VALUE;
};

int firstSourceFilling(const QList<ConcatSource>& sources, qsizetype track) {
    for (qsizetype index = 0; index < sources.size(); ++index)
        if (sources[index].streams.value(track, -1) >= 0) return int(index);
    return -1;
}

bool isFirstToFillATrack(const QList<ConcatSource>& sources, qsizetype source) {
    for (qsizetype track = 0; track < sources[source].streams.size(); ++track)
        if (firstSourceFilling(sources, track) == source) return true;
    return false;
}

const AVStream* streamOf(const InputFile& input, int index) {
    if (index < 0 || index >= int(input->nb_streams)) throw MediaError("no such stream", AVERROR_STREAM_NOT_FOUND);
    return input->streams[index];
}

// Adds the output's streams, each coded like the first file that fills it.
std::vector<Track> addTracks(AVFormatContext* output, const QList<ConcatSource>& sources,
                             const std::vector<InputFile>& inputs) {
    std::vector<Track> tracks;
    for (qsizetype track = 0; track < sources.front().streams.size(); ++track) {
        const int source = firstSourceFilling(sources, track);
        if (source < 0) throw MediaError("output track without a source", AVERROR(EINVAL));
        const AVStream* from = streamOf(inputs[size_t(source)], sources[source].streams[track]);
        AVStream* to = avformat_new_stream(output, nullptr);
        if (!to) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
        check(avcodec_parameters_copy(to->codecpar, from->codecpar), "avcodec_parameters_copy");
        to->time_base = from->time_base;
        for (const char* key : {"handler_name", "language"})
            if (const AVDictionaryEntry* entry = av_dict_get(from->metadata, key, nullptr, 0))
                av_dict_set(&to->metadata, key, entry->value, 0);
        tracks.push_back({to, from->codecpar->codec_type == AVMEDIA_TYPE_VIDEO});
    }
    return tracks;
}

// Room for the index at the front of the file, so it need not be moved there
// afterwards (which reads and writes the whole file once more): more than
// the sample tables can take per sample (sizes, times, offsets, keyframes,
// chunks), plus the fixed boxes.
int64_t indexRoom(const QList<ConcatSource>& sources, const std::vector<InputFile>& inputs) {
    constexpr int64_t perSample = 64;
    constexpr int64_t fixed = 64 << 10;
    int64_t samples = 0;
    for (size_t source = 0; source < inputs.size(); ++source)
        for (const int stream : sources[qsizetype(source)].streams)
            if (stream >= 0) samples += avformat_index_get_entries_count(streamOf(inputs[source], stream));
    return fixed + perSample * samples;
}

// A time of the joined time line, counted in `unit`s so that it stays exact
// however many files add up to it.
struct Moment {
    int64_t count = 0;
    AVRational unit = AV_TIME_BASE_Q;

    int64_t in(AVRational base) const { return av_rescale_q(count, unit, base); }
};

// Where one file lies on the joined time line: its pictures, and its sound
// (in whole sound frames).
struct Placement {
    Moment pictures;
    Moment picturesLength;
    Moment sound;
    Moment soundLength;
};

// One frame of the output's first sound track; a microsecond when it has
// none in frames.
AVRational soundFrame(const std::vector<Track>& tracks) {
    for (const Track& track : tracks) {
        const AVCodecParameters* coding = track.stream->codecpar;
        if (!track.video && coding->frame_size > 0 && coding->sample_rate > 0)
            return AVRational{coding->frame_size, coding->sample_rate};
    }
    return AV_TIME_BASE_Q;
}

// Players play sound frame after frame, whatever the times written beside
// it, so a file whose sound ended part of a frame away from its pictures'
// end would move all later sound, a little more at every seam. Each file's
// sound is laid on right after the previous file's, as a whole number of
// frames (its length rounded down or up, both of which it has) that keeps
// the sound's end nearest to the pictures' end: within half a frame of them
// however many files there are. The pictures keep their exact places.
std::vector<Placement> lay(const QList<ConcatSource>& sources, AVRational frame) {
    constexpr double slack = 1e-6;
    std::vector<Placement> placements;
    int64_t startUs = 0;
    int64_t frames = 0;
    for (const ConcatSource& source : sources) {
        const int64_t lengthUs = std::llround(source.length * AV_TIME_BASE);
        const double own = source.length / av_q2d(frame);
        const int64_t nearest = av_rescale_q(startUs + lengthUs, AV_TIME_BASE_Q, frame) - frames;
        const int64_t span = std::clamp(nearest, int64_t(std::floor(own + slack)), int64_t(std::ceil(own - slack)));
        placements.push_back({{startUs}, {lengthUs}, {frames, frame}, {span, frame}});
        startUs += lengthUs;
        frames += span;
    }
    return placements;
}

// Moves `packet` of a file laid at `placement` onto the output track; false
// when it is not to be copied.
bool place(AVPacket* packet, AVRational base, const Placement& placement, Track& track) {
    const Moment& start = track.video ? placement.pictures : placement.sound;
    const Moment& length = track.video ? placement.picturesLength : placement.soundLength;
    const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (pts == AV_NOPTS_VALUE || (packet->flags & AV_PKT_FLAG_CORRUPT)) return false;
    if (pts >= length.in(base)) return false;
    // Sound an encoder primes a track with lies before the file's time zero.
    // (A file that was shifted to start at zero keeps it in its place, as its
    // pictures are shifted alike.)
    const bool preRoll = pts < 0 && pts + std::max<int64_t>(packet->duration, 0) <= 0;
    if (preRoll && track.started) return false;

    const AVRational outBase = track.stream->time_base;
    av_packet_rescale_ts(packet, base, outBase);
    const int64_t offset = start.in(outBase);
    if (packet->pts != AV_NOPTS_VALUE) packet->pts += offset;
    if (packet->dts == AV_NOPTS_VALUE) packet->dts = packet->pts;
    else packet->dts += offset;
    if (track.lastDts != AV_NOPTS_VALUE && packet->dts <= track.lastDts) {
        // Sound may lose a packet at a seam; a picture may not.
        if (!track.video) return false;
        packet->dts = track.lastDts + 1;
        if (packet->dts > packet->pts) throw MediaError("pictures out of order at a seam", AVERROR_INVALIDDATA);
    }
    track.lastDts = packet->dts;
    track.started = track.started || !preRoll;
    packet->stream_index = track.stream->index;
    packet->pos = -1;
    return true;
}

void copySource(AVFormatContext* output, const ConcatSource& source, const InputFile& input,
                const Placement& placement, std::vector<Track>& tracks) {
    // A stream may fill several tracks: each gets every packet.
    std::vector<std::vector<int>> tracksOf(input->nb_streams);
    for (qsizetype track = 0; track < source.streams.size(); ++track) {
        const int stream = source.streams[track];
        if (stream < 0) continue;
        if (stream >= int(tracksOf.size())) throw MediaError("no such stream", AVERROR_STREAM_NOT_FOUND);
        tracksOf[size_t(stream)].push_back(int(track));
    }
    for (unsigned stream = 0; stream < input->nb_streams; ++stream)
        if (tracksOf[stream].empty()) input->streams[stream]->discard = AVDISCARD_ALL;

    Packet packet = makePacket();
    Packet copy = makePacket();
    for (;;) {
        input.throwIfCancelled();
        const int result = av_read_frame(input.get(), packet.get());
        if (result == AVERROR_EOF) return;
        check(result, "av_read_frame");
        const auto stream = size_t(packet->stream_index);
        if (stream < tracksOf.size())
            for (const int track : tracksOf[stream]) {
                check(av_packet_ref(copy.get(), packet.get()), "av_packet_ref");
                if (place(copy.get(), input->streams[stream]->time_base, placement, tracks[size_t(track)]))
                    check(av_interleaved_write_frame(output, copy.get()), "av_interleaved_write_frame");
                av_packet_unref(copy.get());
            }
        av_packet_unref(packet.get());
    }
}

}  // namespace

void concatenate(const QList<ConcatSource>& sources, const QString& output, const CancelToken& cancel) {
    if (sources.isEmpty()) throw MediaError("nothing to join", AVERROR(EINVAL));
    std::vector<InputFile> inputs;
    inputs.reserve(size_t(sources.size()));
    for (qsizetype source = 0; source < sources.size(); ++source) {
        // Packets are copied as they are, so the header tells enough; only a
        // file whose coding an output track takes is asked for everything.
        const bool codingTaken = isFirstToFillATrack(sources, source);
        inputs.emplace_back(sources[source].path, cancel, codingTaken ? StreamInfo::picturesAndEverySound : StreamInfo::fromHeader);
    }
    OutputContext out = openOutput(output, "mp4", WriteBack::whileWriting);
    std::vector<Track> tracks = addTracks(out.get(), sources, inputs);
    Dictionary options;
    av_dict_set_int(&options.entries, "moov_size", indexRoom(sources, inputs), 0);
    check(avformat_write_header(out.get(), &options.entries), "avformat_write_header");
    const std::vector<Placement> placements = lay(sources, soundFrame(tracks));
    for (size_t source = 0; source < inputs.size(); ++source)
        copySource(out.get(), sources[qsizetype(source)], inputs[source], placements[source], tracks);
    check(av_write_trailer(out.get()), "av_write_trailer");
}

}  // namespace tavero::media
