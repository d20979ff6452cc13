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
          frame_(makeFrame()) {}

    // Decodes a picture at `seconds` from the start (within the tolerance),
    // or the last one before the end of what is playable.
    void decodeAt(double seconds) {
        const AVRational base = stream_->time_base;
        const int64_t target = span_.start + std::llround(seconds / av_q2d(base));
        const int64_t earliest = target - std::llround(tolerance / av_q2d(base));
        check(seekToKeyframe(input_.get(), stream_, target), "av_seek_frame");
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

    // A damaged picture is left out, as players leave it.
    bool receive() {
        for (;;) {
            av_frame_unref(frame_.get());
            const int result = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return false;
            if (result != AVERROR_INVALIDDATA) return check(result, "avcodec_receive_frame") >= 0;
        }
    }

    const InputFile& input_;
    const AVStream* stream_;
    PlayableSpan span_;
    CodecContext decoder_;
    Packet packet_;
    Frame frame_;
};

}  // namespace

PlayableVideo measurePlayableVideo(const QString& path, const CancelToken& cancel) {
    InputFile input(path, cancel);
    AVStream* stream = firstVideoStream(input.get());
    const PlayableSpan span = playableSpan(input.get(), stream);
    const double duration = span.seconds(stream);
    if (!std::isfinite(duration) || duration <= 0) throw MediaError("no playable duration", AVERROR_INVALIDDATA);
    PictureProbe pictures(input, stream, span);
    pictures.decodeAt(0);
    pictures.decodeAt(std::max(duration - endMargin, 0.0));
    return {duration, span.cutShort};
}

}  // namespace tavero::media
