#include "platform/media/PlayableVideo.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/PlayableSpan.h"

#include <algorithm>
#include <cmath>

namespace tavero::media {

namespace {

// The last picture is looked for this long before the end, and any picture
// within the tolerance of a wanted time will do.
constexpr double endMargin = 0.1;
constexpr double tolerance = 0.2;

// Decodes pictures of one stream on demand.
class PictureProbe {
public:
    PictureProbe(const InputFile& input, const AVStream* stream, const PlayableSpan& span)
        : input_(input),
          stream_(stream),
          span_(span),
          decoder_(openDecoder(stream)),
          packet_(makePacket()),
          frame_(makeFrame()),
          decoded_(makeFrame()) {}

    // Decodes a picture at `seconds` from the start (within the tolerance),
    // or the last one before the end of what is playable. Where none decodes
    // from the keyframe before it (a damaged stretch, or pictures of another
    // coding that an MPEG-TS switched to), the last one before that shows,
    // as a player shows it: the look goes back a second, then twice as far
    // each time, to the start. Returns the size of the picture found.
    QSize decodeAt(double seconds) {
        for (double back = 0;; back = back == 0 ? 1 : back * 2) {
            const double from = std::max(seconds - back, 0.0);
            if (decodeFrom(from, seconds)) return {decoded_->width, decoded_->height};
            if (from == 0) throw MediaError("no picture decoded", AVERROR_INVALIDDATA);
        }
    }

private:
    // Decodes from the keyframe before `from` until a picture near `seconds`
    // or the end: whether a picture decoded, the last of them in `decoded_`.
    bool decodeFrom(double from, double seconds) {
        const AVRational base = stream_->time_base;
        const int64_t earliest = span_.start + std::llround((seconds - tolerance) / av_q2d(base));
        check(seekToKeyframe(input_.get(), stream_, span_.start + std::llround(from / av_q2d(base))),
              "av_seek_frame");
        avcodec_flush_buffers(decoder_.get());
        bool decoded = false;
        while (readPacket()) {
            sendPlayable(decoder_.get(), packet_.get());
            av_packet_unref(packet_.get());
            while (receive()) {
                decoded = true;
                const int64_t time = decoded_->best_effort_timestamp;
                if (time == AV_NOPTS_VALUE || time >= earliest) return true;
            }
        }
        sendPlayable(decoder_.get(), nullptr);
        while (receive()) decoded = true;
        return decoded;
    }

    // The next packet of the stream within the playable span.
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
            // A damaged packet (cut off by the end of the file, or by a seek
            // into MPEG-TS) is left out.
            const bool beyond = packet_->dts != AV_NOPTS_VALUE && packet_->dts >= span_.endDts;
            const bool damaged = packet_->flags & AV_PKT_FLAG_CORRUPT;
            if (!beyond && !damaged) return true;
            av_packet_unref(packet_.get());
            if (beyond) return false;
        }
    }

    // The next decoded picture, kept in `decoded_` until another comes.
    bool receive() {
        if (receivePlayable(decoder_.get(), frame_.get()) != 0) return false;
        av_frame_unref(decoded_.get());
        av_frame_move_ref(decoded_.get(), frame_.get());
        return true;
    }

    const InputFile& input_;
    const AVStream* stream_;
    PlayableSpan span_;
    CodecContext decoder_;
    Packet packet_;
    Frame frame_;
    Frame decoded_;
};

}  // namespace

PlayableVideo measurePlayableVideo(const QString& path, const CancelToken& cancel) {
    InputFile input(path, cancel, StreamInfo::picturesAndSound);
    AVStream* stream = firstVideoStream(input.get());
    const PlayableSpan span = playableSpan(input.get(), stream);
    const double duration = span.seconds(stream);
    if (!std::isfinite(duration) || duration <= 0) throw MediaError("no playable duration", AVERROR_INVALIDDATA);
    const MovieTimeline timeline = movieTimeline(input.get(), stream, span);
    PictureProbe pictures(input, stream, span);
    const QSize size = pictures.decodeAt(0);
    pictures.decodeAt(std::max(duration - endMargin, 0.0));
    return {duration, span.cutShort, size, timeline};
}

}  // namespace tavero::media
