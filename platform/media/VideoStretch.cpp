#include "platform/media/VideoStretch.h"

#include "platform/media/DisplayMatrix.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/MovieTimeline.h"
#include "platform/media/PictureConversion.h"
#include "platform/media/PictureEncoder.h"
#include "platform/media/PixelAspect.h"
#include "platform/media/PlayableSpan.h"
#include "platform/media/RecodedSound.h"
#include "platform/threads/HandOffQueues.h"
#include "platform/threads/ThreadName.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <thread>
#include <vector>

namespace tavero::media {

namespace {

// A picture that starts this little after the start is the one showing at it.
constexpr double sameTime = 1e-4;
constexpr QSize largestH264(4096, 2304);
// Room for the index per sample and for its fixed boxes, more than it takes.
constexpr int64_t indexBytesPerSample = 64;
constexpr int64_t indexFixedBytes = 64 << 10;
// Samples a second assumed when the source keeps no index: pictures at 60,
// and AAC at 48 kHz in 1024-sample packets.
constexpr double picturesPerSecondAtMost = 60;
constexpr double soundPacketsPerSecond = 48000.0 / 1024;
// Decoded pictures and sound packets on their way to the coding thread.
constexpr std::size_t handOffItems = 16;

// What the reading thread hands to the coding thread: a decoded picture
// with its time in the stretch, or a sound packet moved to the stretch's
// time line.
struct Item {
    Frame picture;
    int64_t pts = 0;
    Packet sound;
};

int rateOf(const AVStream* stream) {
    const double rate = av_q2d(stream->avg_frame_rate);
    return std::isfinite(rate) && rate >= 1 ? std::clamp(int(std::lround(rate)), 1, 120) : 30;
}

// Pictures as renders code them: kept, not streamed live, and their pixels
// as wide as the source's.
PictureCoding codingFor(QSize size, const AVStream* video, AVRational pixelAspect) {
    const bool hevc = size.width() > largestH264.width() || size.height() > largestH264.height();
    PictureCoding coding;
    coding.encoder = hevc ? "libx265" : "libx264";
    coding.preset = "veryfast";
    coding.quality = hevc ? "22" : "18";
    coding.timeBase = video->time_base;
    coding.rate = rateOf(video);
    coding.keyframeInterval = 2 * coding.rate;
    coding.immediate = false;
    coding.pixelAspect = pixelAspect;
    return coding;
}

QSize evenSize(int width, int height) { return {std::max(2, width & ~1), std::max(2, height & ~1)}; }

AVStream* newStream(AVFormatContext* output) {
    AVStream* stream = avformat_new_stream(output, nullptr);
    if (!stream) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
    return stream;
}

}  // namespace

struct VideoStretch::State {
    State(const QString& path, const CancelToken& cancel)
        : input(path, cancel, StreamInfo::picturesAndEverySound), video(firstVideoStream(input.get())), decoder(openDecoder(video)),
          packet(makePacket()), frame(makeFrame()), head(makeFrame()), span(playableSpan(input.get(), video)),
          timeline(movieTimeline(input.get(), video, span)),
          origin(std::llround(timeline.origin / av_q2d(video->time_base))) {}

    double secondsOf(int64_t stamp, const AVStream* stream) const {
        return double(stamp) * av_q2d(stream->time_base) - double(origin) * av_q2d(video->time_base);
    }

    void openOutput(const QString& path) {
        output = media::openOutput(path, "mp4", WriteBack::whileWriting);
        const QSize size = evenSize(video->codecpar->width, video->codecpar->height);
        pictures.emplace(size, output->oformat->flags & AVFMT_GLOBALHEADER,
                         codingFor(size, video, pixelAspect(input.get(), video)));
        videoOut = newStream(output.get());
        check(avcodec_parameters_from_context(videoOut->codecpar, pictures->context()),
              "avcodec_parameters_from_context");
        videoOut->sample_aspect_ratio = videoOut->codecpar->sample_aspect_ratio;
        if (pictures->context()->codec_id == AV_CODEC_ID_HEVC)
            videoOut->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');
        videoOut->time_base = video->time_base;
        // The pictures keep their coded orientation: players turn them.
        keepDisplayMatrix(video, videoOut);
        soundOut.assign(input->nb_streams, nullptr);
        int64_t samples = samplesWithin(video);
        int soundTracks = 0;
        for (unsigned index = 0; index < input->nb_streams; ++index) {
            AVStream* from = input->streams[index];
            if (from->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
                if (from != video) from->discard = AVDISCARD_ALL;
                continue;
            }
            if (copiedIntoMp4(from->codecpar)) {
                soundOut[index] = copiedStream(from);
                samples += samplesWithin(from);
            } else {
                soundOut[index] = recodedStream(from);
            }
            ++soundTracks;
        }
        const double seconds = end - start;
        const auto guessed =
            int64_t(std::ceil(seconds * (picturesPerSecondAtMost + soundTracks * soundPacketsPerSecond)));
        Dictionary options;
        av_dict_set_int(&options.entries, "moov_size",
                        indexFixedBytes + indexBytesPerSample * std::max(samples, guessed), 0);
        check(avformat_write_header(output.get(), &options.entries), "avformat_write_header");
    }

    // The samples of `stream` the stretch can take, by its index (one more
    // at either end); 0 when the file keeps no index.
    int64_t samplesWithin(AVStream* stream) const {
        const int count = avformat_index_get_entries_count(stream);
        if (count == 0) return 0;
        const double base = av_q2d(stream->time_base);
        const double originSeconds = double(origin) * av_q2d(video->time_base);
        const auto stampOf = [&](double seconds) { return int64_t(std::floor((seconds + originSeconds) / base)); };
        const int first = av_index_search_timestamp(stream, stampOf(start), AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
        const int last = av_index_search_timestamp(stream, stampOf(end), AVSEEK_FLAG_ANY);
        return int64_t(last < 0 ? count - 1 : last) - std::max(first, 0) + 2;
    }

    AVStream* copiedStream(const AVStream* from) {
        AVStream* to = newStream(output.get());
        check(avcodec_parameters_copy(to->codecpar, from->codecpar), "avcodec_parameters_copy");
        to->codecpar->codec_tag = 0;
        to->time_base = from->time_base;
        keepTrackTags(from, to);
        return to;
    }

    // Sound the MP4 cannot take as it is (a camera's PCM) is coded again;
    // the pictures are coded anyway.
    AVStream* recodedStream(const AVStream* from) {
        const bool globalHeader = output->oformat->flags & AVFMT_GLOBALHEADER;
        const double originSeconds = double(origin) * av_q2d(video->time_base);
        RecodedSound& sound =
            recoded.try_emplace(size_t(from->index), from, originSeconds, start, end, globalHeader).first->second;
        AVStream* to = newStream(output.get());
        check(avcodec_parameters_from_context(to->codecpar, sound.encoder()), "avcodec_parameters_from_context");
        to->time_base = sound.encoder()->time_base;
        keepTrackTags(from, to);
        return to;
    }

    static void keepTrackTags(const AVStream* from, AVStream* to) {
        to->disposition = from->disposition;
        for (const char* key : {"handler_name", "language"})
            if (const AVDictionaryEntry* entry = av_dict_get(from->metadata, key, nullptr, 0))
                av_dict_set(&to->metadata, key, entry->value, 0);
    }

    // From the keyframe before the start: the pictures between it and the
    // start are decoded and left out.
    void seekToStart() {
        const auto stamp = origin + int64_t(std::floor(start / av_q2d(video->time_base)));
        if (seekToKeyframe(input.get(), video, stamp) < 0)
            av_seek_frame(input.get(), video->index, origin, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(decoder.get());
    }

    // Reading and decoding here, coding and writing on a thread of its own,
    // so the two overlap; the muxer is only touched there until it has
    // finished.
    void run() {
        seekToStart();
        std::exception_ptr codingFailure;
        std::thread coding([&] {
            nameThisThread("tavero-stretch");
            try {
                writeAll();
            } catch (...) {
                codingFailure = std::current_exception();
                handOff.close();
            }
        });
        try {
            readSource();
        } catch (...) {
            handOff.close();
            coding.join();
            throw;
        }
        handOff.close();
        coding.join();
        if (codingFailure) std::rethrow_exception(codingFailure);
        input.throwIfCancelled();
        pictures->flush([&](AVPacket* coded) { mux(coded); });
        if (held) muxHeld(endStamp());
        check(av_write_trailer(output.get()), "av_write_trailer");
        avio_flush(output->pb);
        check(output->pb->error, "avio_flush");
    }

    // What fails here is the source's fault, unless the work was abandoned.
    void readSource() {
        try {
            read();
        } catch (const MediaError& error) {
            if (error.abandoned()) throw;
            throw SourceError(error);
        }
    }

    void read() {
        while (!finishedReading() && !codingGone) {
            input.throwIfCancelled();
            const int result = av_read_frame(input.get(), packet.get());
            if (result == AVERROR_EOF) break;
            check(result, "av_read_frame");
            if (packet->stream_index == video->index) {
                if (!videoDone) takePicture();
            } else if (AVStream* to = soundOut[size_t(packet->stream_index)]) {
                takeSound(to);
            }
            av_packet_unref(packet.get());
        }
        if (!videoDone) decode(nullptr);
        for (auto& [index, sound] : recoded)
            if (!soundPassed[index]) finishRecoding(index);
        if (!headWritten && head->buf[0]) send(movedOut(*head), 0);
    }

    // A picture from past what plays ends the video: those before it are
    // all there is. A damaged one (cut off by the end of the file, or by a
    // seek into MPEG-TS) is left out.
    void takePicture() {
        const bool beyond = packet->dts != AV_NOPTS_VALUE && packet->dts >= span.endDts;
        if (packet->flags & AV_PKT_FLAG_CORRUPT) return;
        if (!beyond) return decode(packet.get());
        decode(nullptr);
        videoDone = true;
    }

    void writeAll() {
        while (std::optional<Item> item = handOff.pop()) {
            if (item->picture)
                encode(*item->picture, item->pts);
            else
                check(av_interleaved_write_frame(output.get(), item->sound.get()), "av_interleaved_write_frame");
        }
    }

    // Every picture up to the end is in, and each sound track has passed it.
    bool finishedReading() const {
        return videoDone && std::all_of(soundPassed.begin(), soundPassed.end(), [](bool passed) { return passed; });
    }

    void decode(const AVPacket* coded) {
        sendPlayable(decoder.get(), coded);
        while (receivePlayable(decoder.get(), frame.get()) == 0) {
            place(*frame);
            av_frame_unref(frame.get());
            if (videoDone) return;
        }
    }

    // The picture showing at the start goes first, at time zero; each later
    // one keeps its own time until the end. Before the first picture the
    // player shows that picture, so a stretch starting earlier starts with it.
    void place(AVFrame& picture) {
        if (firstSize.isEmpty()) firstSize = evenSize(picture.width, picture.height);
        const int64_t stamp =
            picture.best_effort_timestamp != AV_NOPTS_VALUE ? picture.best_effort_timestamp : lastStamp + 1;
        lastStamp = stamp;
        const double at = secondsOf(stamp, video);
        if (at <= start + sameTime) {
            av_frame_unref(head.get());
            av_frame_move_ref(head.get(), &picture);
            return;
        }
        if (!headWritten && !head->buf[0]) {
            send(movedOut(picture), 0);
            videoDone = at >= end - sameTime;
            return;
        }
        if (at >= end - sameTime) {
            videoDone = true;
            return;
        }
        if (!headWritten && head->buf[0]) send(movedOut(*head), 0);
        send(movedOut(picture), stamp - startStamp());
    }

    // A frame of its own holding what `picture` held; `picture` is left empty.
    static Frame movedOut(AVFrame& picture) {
        Frame moved = makeFrame();
        av_frame_move_ref(moved.get(), &picture);
        return moved;
    }

    void send(Frame picture, int64_t pts) {
        headWritten = true;
        if (pts <= lastPts) return;
        lastPts = pts;
        if (!handOff.push(Item{std::move(picture), pts, nullptr})) codingGone = true;
    }

    void encode(const AVFrame& picture, int64_t pts) {
        const auto ready = [&](AVPacket* coded) { mux(coded); };
        if (pictures->takesAsIs(picture))
            pictures->encode(picture, pts, false, ready);
        else
            pictures->encode(toRgb(picture), pts, false, ready);
    }

    int64_t startStamp() const { return origin + std::llround(start / av_q2d(video->time_base)); }
    int64_t endStamp() const { return std::llround((end - start) / av_q2d(video->time_base)); }

    // Each coded picture waits for the next, which tells how long it shows;
    // the last one shows until the end.
    void mux(AVPacket* coded) {
        if (held) muxHeld(coded->pts);
        held = makePacket();
        av_packet_move_ref(held.get(), coded);
    }

    void muxHeld(int64_t nextPts) {
        held->duration = std::max<int64_t>(1, nextPts - held->pts);
        av_packet_rescale_ts(held.get(), pictures->context()->time_base, videoOut->time_base);
        held->stream_index = videoOut->index;
        check(av_interleaved_write_frame(output.get(), held.get()), "av_interleaved_write_frame");
        held.reset();
    }

    void takeSound(AVStream* to) {
        const auto found = recoded.find(size_t(packet->stream_index));
        if (found == recoded.end()) return copySound(to);
        if (soundPassed[found->first] || packet->flags & AV_PKT_FLAG_CORRUPT) return;
        const AVStream* from = input->streams[packet->stream_index];
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stamp != AV_NOPTS_VALUE && secondsOf(stamp, from) >= end) return finishRecoding(found->first);
        found->second.take(*packet, [&](AVPacket* coded) { handOverSound(coded, found->second, to); });
    }

    void finishRecoding(size_t index) {
        soundPassed[index] = true;
        RecodedSound& sound = recoded.at(index);
        sound.finish([&](AVPacket* coded) { handOverSound(coded, sound, soundOut[index]); });
    }

    void handOverSound(AVPacket* coded, const RecodedSound& sound, const AVStream* to) {
        av_packet_rescale_ts(coded, sound.encoder()->time_base, to->time_base);
        coded->stream_index = to->index;
        Packet moved = makePacket();
        av_packet_move_ref(moved.get(), coded);
        if (!handOff.push(Item{nullptr, 0, std::move(moved)})) codingGone = true;
    }

    // Packets that sound within the stretch, moved to its time line; a
    // packet the file cuts short ends its track. A packet that does not come
    // after the last one copied is left out, as players leave the sound out
    // that overlaps what they played: files laid end to end (a recording
    // joined late) start each part's sound a frame early.
    void copySound(AVStream* to) {
        const AVStream* from = input->streams[packet->stream_index];
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stamp == AV_NOPTS_VALUE) return;
        const double at = secondsOf(stamp, from);
        const double length = double(packet->duration) * av_q2d(from->time_base);
        if (packet->flags & AV_PKT_FLAG_CORRUPT) return;
        if (at >= end) {
            soundPassed[size_t(packet->stream_index)] = true;
            return;
        }
        if (at + length <= start) return;
        const int64_t shift = av_rescale_q(startStamp(), video->time_base, from->time_base);
        packet->pts = packet->pts != AV_NOPTS_VALUE ? packet->pts - shift : AV_NOPTS_VALUE;
        packet->dts = packet->dts != AV_NOPTS_VALUE ? packet->dts - shift : AV_NOPTS_VALUE;
        av_packet_rescale_ts(packet.get(), from->time_base, to->time_base);
        int64_t& copied = copiedUntil[size_t(packet->stream_index)];
        if (packet->dts != AV_NOPTS_VALUE) {
            if (packet->dts <= copied) return;
            copied = packet->dts;
        }
        packet->stream_index = to->index;
        packet->pos = -1;
        Packet sound = makePacket();
        av_packet_move_ref(sound.get(), packet.get());
        if (!handOff.push(Item{nullptr, 0, std::move(sound)})) codingGone = true;
    }

    InputFile input;
    AVStream* video;
    CodecContext decoder;
    Packet packet;
    Frame frame;
    // The last picture that starts by the start, until a later one comes.
    Frame head;
    // What plays of the video, and the time line the stretch is cut from,
    // whose start (in the video's time base) is the stretch's time zero.
    PlayableSpan span;
    MovieTimeline timeline;
    int64_t origin = 0;
    double start = 0;
    double end = 0;
    OutputContext output;
    std::optional<PictureEncoder> pictures;
    AVStream* videoOut = nullptr;
    // By input stream: the output track of each sound track, and the coder
    // of each that is coded again.
    std::vector<AVStream*> soundOut;
    std::map<size_t, RecodedSound> recoded;
    // By input stream: no packet of it is wanted any more (a sound track
    // once one past the end has come; every other stream from the outset).
    std::vector<bool> soundPassed;
    // By input stream: the time of the last sound packet copied, in its
    // output track's time base.
    std::vector<int64_t> copiedUntil;
    Packet held;
    BoundedQueue<Item> handOff{handOffItems};
    // The coding thread failed and takes nothing more.
    bool codingGone = false;
    bool headWritten = false;
    bool videoDone = false;
    int64_t lastStamp = 0;
    int64_t lastPts = -1;
    // Of the first picture decoded, as it is coded again.
    QSize firstSize;
};

VideoStretch::VideoStretch(const QString& source, const CancelToken& cancel)
    : state_(std::make_unique<State>(source, cancel)) {}

VideoStretch::~VideoStretch() = default;

double VideoStretch::duration() const { return state_->timeline.length; }

QSize VideoStretch::pictureSize() const { return state_->firstSize; }

void VideoStretch::write(double start, double end, const QString& path) {
    State& s = *state_;
    s.start = start;
    s.end = end;
    try {
        s.openOutput(path);
        for (AVStream* to : s.soundOut) s.soundPassed.push_back(to == nullptr);
        s.copiedUntil.assign(s.soundOut.size(), std::numeric_limits<int64_t>::min());
        s.run();
    } catch (const SourceError&) {
        throw;
    } catch (const MediaError& error) {
        // Whatever step met it, a write the disk refused is the reason.
        if (!error.abandoned() && s.output && s.output->pb && s.output->pb->error < 0)
            throw WriteError(MediaError("write", s.output->pb->error));
        throw;
    }
}

}  // namespace tavero::media
