#include "platform/media/VideoFileReader.h"

#include "platform/media/DisplayMatrix.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/PictureConversion.h"
#include "platform/media/PixelAspect.h"

namespace tavero::media {

namespace {

// A picture that starts this little after a wanted time is still the one
// shown at it: times rounded through a file's time base land a hair off.
constexpr double sameTime = 1e-4;

}  // namespace

struct VideoFileReader::State {
    State(const QString& path, const CancelToken& cancel)
        : input(path, cancel), stream(firstVideoStream(input.get())), decoder(openDecoder(stream)),
          packet(makePacket()), frame(makeFrame()), shown(makeFrame()), upcoming(makeFrame()),
          turn(uprightTurn(stream)), displaySize(shownSize(input.get(), stream)) {
        discardAllBut(input.get(), stream);
        origin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    }

    // Feeds the decoder until it has a picture; false after the last.
    bool decodeNext() {
        for (;;) {
            av_frame_unref(frame.get());
            const int received = avcodec_receive_frame(decoder.get(), frame.get());
            if (received == 0) return true;
            if (received == AVERROR_EOF) return false;
            if (received == AVERROR_INVALIDDATA) continue;
            if (received != AVERROR(EAGAIN)) check(received, "avcodec_receive_frame");
            sendPacket();
        }
    }

    void sendPacket() {
        for (;;) {
            input.throwIfCancelled();
            const int result = av_read_frame(input.get(), packet.get());
            if (result == AVERROR_EOF) {
                check(avcodec_send_packet(decoder.get(), nullptr), "avcodec_send_packet");
                return;
            }
            check(result, "av_read_frame");
            if (packet->stream_index != stream->index) {
                av_packet_unref(packet.get());
                continue;
            }
            // A damaged picture is left out, as players leave it.
            const int sent = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent != AVERROR_INVALIDDATA) check(sent, "avcodec_send_packet");
            return;
        }
    }

    // Seconds of the current picture from the stream's start; a picture
    // without a time follows the previous one by a frame.
    double timeOfFrame() {
        const int64_t stamp = frame->best_effort_timestamp;
        if (stamp != AV_NOPTS_VALUE) return double(stamp - origin) * av_q2d(stream->time_base);
        const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : AVRational{30, 1};
        return lastTime ? *lastTime + av_q2d(av_inv_q(rate)) : 0;
    }

    // Decodes the picture after the last one looked at into `upcoming`,
    // unless it is there already; false after the last picture.
    bool peek() {
        if (upcomingTime) return true;
        if (!decodeNext()) return false;
        upcomingTime = timeOfFrame();
        lastTime = upcomingTime;
        av_frame_unref(upcoming.get());
        av_frame_move_ref(upcoming.get(), frame.get());
        return true;
    }

    // The upcoming picture becomes the shown one.
    void advance() {
        av_frame_unref(shown.get());
        av_frame_move_ref(shown.get(), upcoming.get());
        shownTime = *upcomingTime;
        upcomingTime.reset();
    }

    bool hasShown() const { return shown->buf[0] != nullptr; }

    // `picture` converted, scaled to `size` (upright; the shown size when
    // none is given), and turned upright.
    QImage upright(const AVFrame& picture, QSize size) const {
        const QSize wanted = size.isEmpty() ? displaySize : size;
        const QSize coded = turn % 180 ? wanted.transposed() : wanted;
        return turnedClockwise(toRgb(picture, coded), turn);
    }

    InputFile input;
    AVStream* stream;
    CodecContext decoder;
    Packet packet;
    Frame frame;
    int64_t origin = 0;
    std::optional<double> lastTime;
    // pictureAt() keeps the picture it found and the one after it, which
    // told that the found one was still showing.
    Frame shown;
    double shownTime = 0;
    Frame upcoming;
    std::optional<double> upcomingTime;
    // Clockwise degrees that turn the coded pictures upright.
    int turn;
    // Upright, pixels made square.
    QSize displaySize;
};

VideoFileReader::VideoFileReader(const QString& path, const CancelToken& cancel)
    : state_(std::make_unique<State>(path, cancel)) {}

VideoFileReader::~VideoFileReader() = default;

QSize VideoFileReader::size() const { return state_->displaySize; }

double VideoFileReader::duration() const {
    return double(declaredLength(state_->input.get(), state_->stream)) * av_q2d(state_->stream->time_base);
}

double VideoFileReader::start() const { return double(state_->origin) * av_q2d(state_->stream->time_base); }

std::optional<VideoPicture> VideoFileReader::next() {
    State& s = *state_;
    if (!s.decodeNext()) return std::nullopt;
    VideoPicture picture{s.upright(*s.frame, {}), s.timeOfFrame()};
    s.lastTime = picture.time;
    return picture;
}

std::optional<VideoPicture> VideoFileReader::pictureAt(double time, QSize size) {
    State& s = *state_;
    while (s.peek() && (*s.upcomingTime <= time + sameTime || !s.hasShown())) s.advance();
    if (!s.hasShown()) return std::nullopt;
    return VideoPicture{s.upright(*s.shown, size), s.shownTime};
}

}  // namespace tavero::media
