#include "platform/media/MovieDecoder.h"

#include "platform/media/DisplayMatrix.h"
#include "platform/media/MediaError.h"
#include "platform/media/MovieTimeline.h"
#include "platform/media/PictureConversion.h"
#include "platform/media/PixelAspect.h"
#include "platform/media/PlayableSpan.h"
#include "platform/media/SoundResampling.h"
#include "platform/sound/SoundOutput.h"

#include <algorithm>
#include <cmath>

namespace tavero::media {

namespace {

// A picture that starts this little after a wanted time is still the one
// shown at it: times rounded through a file's time base land a hair off.
constexpr double sameTime = 1e-4;
// The sound is read from this much before a wanted time: a decoder that
// starts on a packet gives its first frame faded in (AAC's frames overlap).
constexpr double soundLeadIn = 0.1;

// One stream being decoded, read through a demuxer that gives it alone: it
// never waits for the other stream's packets, however far from its own the
// file keeps them.
struct Lane {
    const InputFile* input = nullptr;
    AVStream* stream = nullptr;
    CodecContext decoder;
    // No packet follows until the next seek.
    bool ended = false;
    // The decoder was told so.
    bool drained = false;

    double secondsOf(int64_t stamp, double origin) const {
        return double(stamp) * av_q2d(stream->time_base) - origin;
    }
    int64_t stampOf(double seconds, double origin) const {
        return std::llround((seconds + origin) / av_q2d(stream->time_base));
    }
};

// Sound faster than any output plays (768 kHz studio recordings) is made
// the usual 48 kHz.
int playedRate(int rate) { return rate <= SoundOutput::fastestRate ? rate : 48000; }

}  // namespace

struct MovieDecoder::State {
    State(const QString& path, const CancelToken& cancel)
        : input(path, cancel, StreamInfo::picturesAndSound), frame(makeFrame()), packet(makePacket()) {
        video.input = &input;
        video.stream = firstVideoStream(input.get());
        video.decoder = openDecoder(video.stream);
        turn = uprightTurn(video.stream);
        displaySize = shownSize(input.get(), video.stream);
        span = playableSpan(input.get(), video.stream);
        const MovieTimeline timeline = movieTimeline(input.get(), video.stream, span);
        origin = timeline.origin;
        end = timeline.length;
        if (AVStream* found = firstSoundStream(input.get())) openSound(path, cancel, found);
        discardAllBut(input.get(), video.stream);
    }

    // The sound is read through a second demuxer of the same file. A sound
    // stream without a decoder, or that does not open again as it was, is
    // left out.
    void openSound(const QString& path, const CancelToken& cancel, const AVStream* found) {
        CodecContext decoder;
        try {
            decoder = openDecoder(found);
            if (decoder->sample_rate <= 0) return;
            soundInput.emplace(path, cancel, StreamInfo::fromHeader);
        } catch (const MediaError& error) {
            if (error.abandoned()) throw;
            return;
        }
        AVFormatContext* context = soundInput->get();
        AVStream* stream = unsigned(found->index) < context->nb_streams ? context->streams[found->index] : nullptr;
        if (!stream || stream->codecpar->codec_id != found->codecpar->codec_id ||
            av_cmp_q(stream->time_base, found->time_base) != 0) {
            soundInput.reset();
            return;
        }
        discardAllBut(context, stream);
        sound.input = &*soundInput;
        sound.stream = stream;
        sound.decoder = std::move(decoder);
        rate = playedRate(sound.decoder->sample_rate);
        channels = sound.decoder->ch_layout.nb_channels == 1 ? 1 : 2;
        converted.emplace(channels, rate);
    }

    // Reads the lane's next packet into `packet`; false once its stream
    // ends: at the end of the file, where it breaks off (a read that fails
    // otherwise than by cancelling) and past its playable part.
    bool readPacket(const Lane& lane) {
        for (;;) {
            lane.input->throwIfCancelled();
            av_packet_unref(packet.get());
            const int result = av_read_frame(lane.input->get(), packet.get());
            if (result == AVERROR_EXIT) check(result, "av_read_frame");
            if (result < 0) return false;
            if (packet->stream_index == lane.stream->index) return !pastPlayable(lane);
        }
    }

    // In a file cut short: a picture from the keyframe that ends what plays
    // on, and the sound from the time it ends.
    bool pastPlayable(const Lane& lane) const {
        if (!span.cutShort) return false;
        if (&lane == &video) return packet->dts != AV_NOPTS_VALUE && packet->dts >= span.endDts;
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        return stamp != AV_NOPTS_VALUE && lane.secondsOf(stamp, origin) >= end;
    }

    // Decodes the lane's next frame into `frame`; false after its last.
    bool decode(Lane& lane) {
        for (;;) {
            av_frame_unref(frame.get());
            const int received = receivePlayable(lane.decoder.get(), frame.get());
            if (received == 0) return true;
            if (received == AVERROR_EOF) return false;
            feed(lane);
        }
    }

    void feed(Lane& lane) {
        if (!lane.ended && !readPacket(lane)) lane.ended = true;
        if (lane.ended) {
            if (!lane.drained) check(avcodec_send_packet(lane.decoder.get(), nullptr), "avcodec_send_packet");
            lane.drained = true;
            return;
        }
        sendPlayable(lane.decoder.get(), packet.get());
    }

    // The pictures from the keyframe at or before `time`; past the playable
    // part of a file cut short, from the last keyframe before its end.
    void seekVideo(double time) {
        restartLane(video);
        int64_t target = video.stampOf(time, origin);
        if (span.cutShort) target = std::min(target, span.endDts - 1);
        check(seekToKeyframe(input.get(), video.stream, target), "av_seek_frame");
    }

    // A sound that cannot be moved there is over until the next seek; the
    // pictures play on.
    void seekSound(double time) {
        if (!sound.stream) return;
        restartLane(sound);
        const int64_t target = sound.stampOf(time - soundLeadIn, origin);
        if (seekToTime(sound.input->get(), sound.stream, target) < 0) sound.ended = true;
    }

    // The decoded picture, moved out of `frame`; one without a time follows
    // the previous one by a frame.
    MovieFrame takePicture() {
        const int64_t stamp = frame->best_effort_timestamp;
        double time = 0;
        if (stamp != AV_NOPTS_VALUE) {
            time = video.secondsOf(stamp, origin);
        } else if (lastPicture) {
            const AVRational declared = video.stream->avg_frame_rate;
            const AVRational rate = declared.num > 0 ? declared : AVRational{30, 1};
            time = *lastPicture + av_q2d(av_inv_q(rate));
        }
        lastPicture = time;
        MovieFrame picture{makeFrame(), time};
        av_frame_move_ref(picture.frame.get(), frame.get());
        return picture;
    }

    // The decoded sound in the output's format.
    void restartLane(Lane& lane) {
        lane.ended = false;
        lane.drained = false;
        if (lane.decoder) avcodec_flush_buffers(lane.decoder.get());
    }

    InputFile input;
    std::optional<InputFile> soundInput;
    Frame frame;
    Packet packet;
    Lane video;
    Lane sound;
    PlayableSpan span;
    // Where playing ends: duration().
    double end = 0;
    int turn = 0;
    QSize displaySize;
    int rate = 0;
    int channels = 0;
    double origin = 0;
    std::optional<double> lastPicture;
    // After a seek: pictures up to the wanted time are held back, and the
    // last of them given out first; the one after it waits its turn.
    std::optional<double> pictureTarget;
    std::optional<MovieFrame> held;
    std::optional<MovieFrame> upcoming;
    // After a seek: sound before the wanted time is dropped. From the start,
    // sound before the time line (an encoder's priming, MovieTimeline.h).
    std::optional<double> soundTarget = 0.0;
    // Where the sound given out last ends.
    double soundEnd = 0;
    // The sound in the output's format.
    std::optional<InterleavedSound> converted;
};

MovieDecoder::MovieDecoder(const QString& path, const CancelToken& cancel)
    : state_(std::make_unique<State>(path, cancel)) {}

MovieDecoder::~MovieDecoder() = default;

double MovieDecoder::duration() const { return state_->end; }

QSize MovieDecoder::size() const { return state_->displaySize; }

int MovieDecoder::turn() const { return state_->turn; }
bool MovieDecoder::hasSound() const { return state_->sound.stream != nullptr; }
int MovieDecoder::soundRate() const { return state_->rate; }
int MovieDecoder::soundChannels() const { return state_->channels; }

void MovieDecoder::seek(double time) {
    State& s = *state_;
    s.seekVideo(time);
    s.seekSound(time);
    skipUnreferencedPictures(false);
    s.lastPicture.reset();
    s.held.reset();
    s.upcoming.reset();
    s.pictureTarget = time;
    s.soundTarget = time;
    s.soundEnd = time;
    if (s.converted) s.converted->reset();
}

std::optional<MovieFrame> MovieDecoder::nextPicture() {
    State& s = *state_;
    if (s.upcoming) return std::exchange(s.upcoming, std::nullopt);
    while (s.decode(s.video)) {
        MovieFrame picture = s.takePicture();
        if (!s.pictureTarget) return picture;
        if (picture.time <= *s.pictureTarget + sameTime) {
            s.held = std::move(picture);
            continue;
        }
        s.pictureTarget.reset();
        if (!s.held) return picture;
        s.upcoming = std::move(picture);
        return std::exchange(s.held, std::nullopt);
    }
    s.pictureTarget.reset();
    return std::exchange(s.held, std::nullopt);
}

void MovieDecoder::skipUnreferencedPictures(bool skip) {
    state_->video.decoder->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

std::optional<MovieSound> MovieDecoder::nextSound() {
    State& s = *state_;
    if (!s.sound.stream) return std::nullopt;
    while (s.decode(s.sound)) {
        const int64_t stamp = s.frame->best_effort_timestamp;
        const double time = stamp != AV_NOPTS_VALUE ? s.sound.secondsOf(stamp, s.origin) : s.soundEnd;
        MovieSound sound{s.converted->convert(*s.frame), time};
        const size_t frames = sound.samples.size() / size_t(s.channels);
        s.soundEnd = sound.time + double(frames) / s.rate;
        if (s.soundTarget) {
            if (s.soundEnd <= *s.soundTarget) continue;
            const auto early = size_t(std::max<long long>(0, std::llround((*s.soundTarget - sound.time) * s.rate)));
            const auto samples = std::ptrdiff_t(early * size_t(s.channels));
            sound.samples.erase(sound.samples.begin(), sound.samples.begin() + samples);
            sound.time = std::max(sound.time, *s.soundTarget);
            s.soundTarget.reset();
        }
        if (!sound.samples.empty()) return sound;
    }
    return std::nullopt;
}

QSize fittedSize(QSize picture, QSize bounds) {
    if (bounds.isEmpty() || picture.isEmpty()) return picture;
    return picture.scaled(bounds, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage uprightPicture(const AVFrame& frame, int turn, QSize size) {
    const QSize coded = turn % 180 ? size.transposed() : size;
    return turnedClockwise(toRgb(frame, coded), turn);
}

}  // namespace tavero::media
