#include "platform/media/MovieDecoder.h"

#include "platform/media/DisplayMatrix.h"
#include "platform/media/MediaError.h"
#include "platform/media/PictureConversion.h"

#include <cmath>
#include <deque>

namespace tavero::media {

namespace {

// A picture that starts this little after a wanted time is still the one
// shown at it: times rounded through a file's time base land a hair off.
constexpr double sameTime = 1e-4;
// Packets of one stream read while looking for the other's, at most: a file
// whose streams lie far apart (not interleaved) ends the stream looked for
// there instead of filling the memory.
constexpr int64_t waitingBytesAtMost = 64 << 20;

AVStream* firstSoundStream(AVFormatContext* context) {
    for (unsigned index = 0; index < context->nb_streams; ++index)
        if (context->streams[index]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return context->streams[index];
    return nullptr;
}

// One stream being decoded: its packets wait here while the other stream's
// are looked for.
struct Lane {
    void keep(Packet packet) {
        bytes += packet->size;
        packets.push_back(std::move(packet));
    }
    Packet take() {
        Packet packet = std::move(packets.front());
        packets.pop_front();
        bytes -= packet->size;
        return packet;
    }

    AVStream* stream = nullptr;
    CodecContext decoder;
    std::deque<Packet> packets;
    int64_t bytes = 0;
    // The decoder was told that no packet follows.
    bool drained = false;

    double secondsOf(int64_t stamp, double origin) const {
        return double(stamp) * av_q2d(stream->time_base) - origin;
    }
};

}  // namespace

struct MovieDecoder::State {
    State(const QString& path, const CancelToken& cancel) : input(path, cancel), frame(makeFrame()) {
        video.stream = firstVideoStream(input.get());
        video.decoder = openDecoder(video.stream);
        turn = uprightTurn(video.stream);
        sound.stream = firstSoundStream(input.get());
        if (sound.stream) openSound();
        for (unsigned index = 0; index < input->nb_streams; ++index) {
            AVStream* stream = input->streams[index];
            if (stream != video.stream && stream != sound.stream) stream->discard = AVDISCARD_ALL;
        }
        if (input->start_time != AV_NOPTS_VALUE) origin = double(input->start_time) / AV_TIME_BASE;
    }

    void openSound() {
        try {
            sound.decoder = openDecoder(sound.stream);
        } catch (const MediaError&) {
            sound.stream = nullptr;
            return;
        }
        rate = sound.decoder->sample_rate;
        channels = sound.decoder->ch_layout.nb_channels == 1 ? 1 : 2;
        if (rate <= 0) sound.stream = nullptr;
    }

    // Reads the next packet into its lane; false at the end of the file.
    // A read that fails otherwise than by cancelling ends the file there.
    bool readPacket() {
        input.throwIfCancelled();
        Packet packet = makePacket();
        const int result = av_read_frame(input.get(), packet.get());
        if (result == AVERROR_EXIT) check(result, "av_read_frame");
        if (result < 0) {
            ended = true;
            return false;
        }
        if (packet->stream_index == video.stream->index) video.keep(std::move(packet));
        else if (sound.stream && packet->stream_index == sound.stream->index) sound.keep(std::move(packet));
        return true;
    }

    // Decodes the lane's next frame into `frame`; false after its last.
    bool decode(Lane& lane) {
        for (;;) {
            av_frame_unref(frame.get());
            const int received = avcodec_receive_frame(lane.decoder.get(), frame.get());
            if (received == 0) return true;
            if (received == AVERROR_EOF) return false;
            if (received != AVERROR(EAGAIN)) check(received, "avcodec_receive_frame");
            feed(lane);
        }
    }

    void feed(Lane& lane) {
        const Lane& other = &lane == &video ? sound : video;
        while (lane.packets.empty() && !ended && other.bytes < waitingBytesAtMost && readPacket()) {
        }
        if (lane.packets.empty()) {
            if (!lane.drained) check(avcodec_send_packet(lane.decoder.get(), nullptr), "avcodec_send_packet");
            lane.drained = true;
            return;
        }
        const Packet packet = lane.take();
        const int sent = avcodec_send_packet(lane.decoder.get(), packet.get());
        if (sent != AVERROR_INVALIDDATA) check(sent, "avcodec_send_packet");
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
    std::vector<float> convertSound() {
        if (!resampler) {
            AVChannelLayout layout = frame->ch_layout;
            if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
                av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
            AVChannelLayout output;
            av_channel_layout_default(&output, channels);
            SwrContext* made = nullptr;
            check(swr_alloc_set_opts2(&made, &output, AV_SAMPLE_FMT_FLT, rate, &layout, AVSampleFormat(frame->format),
                                      frame->sample_rate, 0, nullptr),
                  "swr_alloc_set_opts2");
            resampler.reset(made);
            check(swr_init(made), "swr_init");
        }
        const int room = check(swr_get_out_samples(resampler.get(), frame->nb_samples), "swr_get_out_samples");
        std::vector<float> samples(size_t(room) * size_t(channels));
        auto* out = reinterpret_cast<uint8_t*>(samples.data());
        const auto** in = const_cast<const uint8_t**>(frame->extended_data);
        const int made = check(swr_convert(resampler.get(), &out, room, in, frame->nb_samples), "swr_convert");
        samples.resize(size_t(made) * size_t(channels));
        return samples;
    }

    void restartLane(Lane& lane) {
        lane.packets.clear();
        lane.bytes = 0;
        lane.drained = false;
        if (lane.decoder) avcodec_flush_buffers(lane.decoder.get());
    }

    InputFile input;
    Frame frame;
    Lane video;
    Lane sound;
    int turn = 0;
    int rate = 0;
    int channels = 0;
    double origin = 0;
    // The file was read to its end.
    bool ended = false;
    std::optional<double> lastPicture;
    // After a seek: pictures up to the wanted time are held back, and the
    // last of them given out first; the one after it waits its turn.
    std::optional<double> pictureTarget;
    std::optional<MovieFrame> held;
    std::optional<MovieFrame> upcoming;
    // After a seek: sound before the wanted time is dropped.
    std::optional<double> soundTarget;
    // Where the sound given out last ends.
    double soundEnd = 0;
    Resampler resampler;
};

MovieDecoder::MovieDecoder(const QString& path, const CancelToken& cancel)
    : state_(std::make_unique<State>(path, cancel)) {}

MovieDecoder::~MovieDecoder() = default;

double MovieDecoder::duration() const {
    const State& s = *state_;
    if (s.input->duration != AV_NOPTS_VALUE && s.input->duration > 0) return double(s.input->duration) / AV_TIME_BASE;
    return double(declaredLength(s.input.get(), s.video.stream)) * av_q2d(s.video.stream->time_base);
}

QSize MovieDecoder::size() const {
    const AVCodecParameters& coded = *state_->video.stream->codecpar;
    const QSize size(coded.width, coded.height);
    return state_->turn % 180 ? size.transposed() : size;
}

int MovieDecoder::turn() const { return state_->turn; }
bool MovieDecoder::hasSound() const { return state_->sound.stream != nullptr; }
int MovieDecoder::soundRate() const { return state_->rate; }
int MovieDecoder::soundChannels() const { return state_->channels; }

void MovieDecoder::seek(double time) {
    State& s = *state_;
    const AVStream* stream = s.video.stream;
    const int64_t target = std::llround((time + s.origin) / av_q2d(stream->time_base));
    check(av_seek_frame(s.input.get(), stream->index, target, AVSEEK_FLAG_BACKWARD), "av_seek_frame");
    s.restartLane(s.video);
    s.restartLane(s.sound);
    skipUnreferencedPictures(false);
    s.ended = false;
    s.lastPicture.reset();
    s.held.reset();
    s.upcoming.reset();
    s.pictureTarget = time;
    s.soundTarget = time;
    s.soundEnd = time;
    s.resampler.reset();
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
        MovieSound sound{s.convertSound(), stamp != AV_NOPTS_VALUE ? s.sound.secondsOf(stamp, s.origin) : s.soundEnd};
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
