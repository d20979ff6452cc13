#include "platform/media/VideoFileReader.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <libyuv/convert_argb.h>

namespace tavero::media {

namespace {

bool fullRange(const AVFrame& frame) {
    const auto format = AVPixelFormat(frame.format);
    return frame.color_range == AVCOL_RANGE_JPEG || format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
           format == AV_PIX_FMT_YUVJ444P;
}

// The matrix the picture is tagged with; BT.601 when it names none.
const libyuv::YuvConstants* matrixOf(const AVFrame& frame) {
    const bool full = fullRange(frame);
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        return full ? &libyuv::kYuvF709Constants : &libyuv::kYuvH709Constants;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return full ? &libyuv::kYuvV2020Constants : &libyuv::kYuv2020Constants;
    default:
        return full ? &libyuv::kYuvJPEGConstants : &libyuv::kYuvI601Constants;
    }
}

// Converts a decoded picture into `image` (RGB32, of the picture's size).
void convert(const AVFrame& frame, QImage& image) {
    const libyuv::YuvConstants* matrix = matrixOf(frame);
    uint8_t* to = image.bits();
    const int stride = int(image.bytesPerLine());
    const int w = frame.width, h = frame.height;
    const auto* d = frame.data;
    const auto* s = frame.linesize;
    int result = -1;
    switch (AVPixelFormat(frame.format)) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
        result = libyuv::I420ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
        result = libyuv::I422ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P:
        result = libyuv::I444ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_NV12:
        result = libyuv::NV12ToARGBMatrix(d[0], s[0], d[1], s[1], to, stride, matrix, w, h);
        break;
    case AV_PIX_FMT_YUV420P10LE:
        result = libyuv::I010ToARGBMatrix(reinterpret_cast<const uint16_t*>(d[0]), s[0] / 2,
                                          reinterpret_cast<const uint16_t*>(d[1]), s[1] / 2,
                                          reinterpret_cast<const uint16_t*>(d[2]), s[2] / 2, to, stride, matrix, w, h);
        break;
    default:
        const char* name = av_get_pix_fmt_name(AVPixelFormat(frame.format));
        throw MediaError(std::string("pictures in ") + (name ? name : "an unknown format"), AVERROR_PATCHWELCOME);
    }
    if (result != 0) throw MediaError("conversion to RGB", AVERROR(EINVAL));
}

}  // namespace

struct VideoFileReader::State {
    State(const QString& path, const CancelToken& cancel)
        : input(path, cancel), stream(firstVideoStream(input.get())), decoder(openDecoder(stream)),
          packet(makePacket()), frame(makeFrame()) {
        for (unsigned index = 0; index < input->nb_streams; ++index)
            if (int(index) != stream->index) input->streams[index]->discard = AVDISCARD_ALL;
        origin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    }

    // Feeds the decoder until it has a picture; false after the last.
    bool decodeNext() {
        for (;;) {
            av_frame_unref(frame.get());
            const int received = avcodec_receive_frame(decoder.get(), frame.get());
            if (received == 0) return true;
            if (received == AVERROR_EOF) return false;
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
            const int sent = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            check(sent, "avcodec_send_packet");
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

    InputFile input;
    AVStream* stream;
    CodecContext decoder;
    Packet packet;
    Frame frame;
    int64_t origin = 0;
    std::optional<double> lastTime;
};

VideoFileReader::VideoFileReader(const QString& path, const CancelToken& cancel)
    : state_(std::make_unique<State>(path, cancel)) {}

VideoFileReader::~VideoFileReader() = default;

QSize VideoFileReader::size() const { return {state_->stream->codecpar->width, state_->stream->codecpar->height}; }

double VideoFileReader::duration() const {
    return double(declaredLength(state_->input.get(), state_->stream)) * av_q2d(state_->stream->time_base);
}

double VideoFileReader::start() const { return double(state_->origin) * av_q2d(state_->stream->time_base); }

std::optional<VideoPicture> VideoFileReader::next() {
    State& s = *state_;
    if (!s.decodeNext()) return std::nullopt;
    VideoPicture picture{QImage(s.frame->width, s.frame->height, QImage::Format_RGB32), s.timeOfFrame()};
    if (picture.image.isNull()) throw MediaError("picture memory", AVERROR(ENOMEM));
    convert(*s.frame, picture.image);
    s.lastTime = picture.time;
    return picture;
}

}  // namespace tavero::media
