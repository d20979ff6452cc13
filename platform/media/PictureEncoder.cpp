#include "platform/media/PictureEncoder.h"

#include "platform/ThreadName.h"
#include "platform/media/MediaError.h"
#include "platform/media/PacketMemory.h"

#include <libyuv/convert_from_argb.h>
#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace tavero::media {

namespace {

// Coded pictures alive at once at most: the one being coded and those the
// muxer holds until the sound catches up with them.
constexpr size_t keptPackets = 16;

// Threads that share each live picture at most. Each slice is coded on a
// thread of its own, and beyond four the threads' waking and waiting cost
// more than they take off a 1080p or 4K picture: measured with libx264
// ultrafast, four threads code 1080p with a third less CPU time than one
// per core, and 4K with a fifth less, each well over 30 pictures a second.
constexpr unsigned liveThreadsAtMost = 4;

// "tavero-x264" for libx264.
std::string workersName(const char* encoder) {
    std::string name(encoder);
    if (name.rfind("lib", 0) == 0) name.erase(0, 3);
    return "tavero-" + name;
}

bool convertible(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

PictureEncoder::PictureEncoder(QSize size, bool globalHeader, const PictureCoding& coding)
    : packetMemory_(std::make_shared<ReusedMemory>(keptPackets)), frame_(makeFrame()), packet_(makePacket()) {
    const AVCodec* codec = avcodec_find_encoder_by_name(coding.encoder);
    if (!codec) throw MediaError("avcodec_find_encoder_by_name", AVERROR_ENCODER_NOT_FOUND);
    encoder_ = makeCodecContext(codec);
    if (codec->capabilities & AV_CODEC_CAP_DR1) reusePacketMemory(*encoder_, packetMemory_);
    encoder_->width = size.width();
    encoder_->height = size.height();
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder_->time_base = coding.timeBase;
    encoder_->framerate = {coding.rate, 1};
    encoder_->max_b_frames = 0;
    encoder_->gop_size = coding.keyframeInterval;
    // Every picture leaves the encoder as it goes in: threads share each
    // picture instead of taking one each (frame threads hold a dozen back),
    // and "zerolatency" stops libx264 holding one back to learn its length
    // from the next. On a still screen, a picture a second, either would
    // keep the last seconds off the disk.
    if (coding.immediate) {
        encoder_->thread_type = FF_THREAD_SLICE;
        encoder_->thread_count = int(std::clamp(std::thread::hardware_concurrency(), 1u, liveThreadsAtMost));
    }
    encoder_->colorspace = AVCOL_SPC_SMPTE170M;
    encoder_->color_primaries = AVCOL_PRI_BT709;
    encoder_->color_trc = AVCOL_TRC_IEC61966_2_1;
    encoder_->color_range = AVCOL_RANGE_MPEG;
    if (globalHeader) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Dictionary options;
    av_dict_set(&options.entries, "preset", coding.preset, 0);
    av_dict_set(&options.entries, "crf", coding.quality, 0);
    if (coding.immediate) av_dict_set(&options.entries, "tune", "zerolatency", 0);
    // libx265 otherwise writes its settings to the program's error output.
    if (std::strcmp(coding.encoder, "libx265") == 0) av_dict_set(&options.entries, "x265-params", "log-level=error", 0);
    int opened = 0;
    {
        // The encoder starts its threads as it opens: they take this name.
        const ThreadNameForNewThreads workers(workersName(coding.encoder).c_str());
        opened = avcodec_open2(encoder_.get(), codec, &options.entries);
    }
    check(opened, "avcodec_open2");

    frame_->format = encoder_->pix_fmt;
    frame_->width = size.width();
    frame_->height = size.height();
    frame_->color_range = AVCOL_RANGE_MPEG;
    frame_->colorspace = AVCOL_SPC_SMPTE170M;
    check(av_frame_get_buffer(frame_.get(), 0), "av_frame_get_buffer");
}

const QImage& PictureEncoder::fitted(const QImage& picture) {
    const QSize size(encoder_->width, encoder_->height);
    if (picture.size() == size && convertible(picture.format())) return picture;
    const QImage source = convertible(picture.format()) ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (canvas_.size() != size) canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.fill(Qt::black);
    const QSize inside = source.size().scaled(size, Qt::KeepAspectRatio).boundedTo(size);
    if (inside.isEmpty()) return canvas_;
    const QPoint at((size.width() - inside.width()) / 2, (size.height() - inside.height()) / 2);
    libyuv::ARGBScale(source.constBits(), int(source.bytesPerLine()), source.width(), source.height(),
                      canvas_.scanLine(at.y()) + at.x() * 4, int(canvas_.bytesPerLine()), inside.width(),
                      inside.height(), libyuv::kFilterBilinear);
    return canvas_;
}

void PictureEncoder::encode(const QImage& picture, int64_t pts, bool keyframe,
                            const std::function<void(AVPacket*)>& ready) {
    const QImage& source = fitted(picture);
    check(av_frame_make_writable(frame_.get()), "av_frame_make_writable");
    if (libyuv::ARGBToI420(source.constBits(), int(source.bytesPerLine()), frame_->data[0], frame_->linesize[0],
                           frame_->data[1], frame_->linesize[1], frame_->data[2], frame_->linesize[2],
                           encoder_->width, encoder_->height) != 0)
        throw MediaError("ARGBToI420", AVERROR(EINVAL));
    frame_->pts = pts;
    frame_->pict_type = keyframe ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    check(avcodec_send_frame(encoder_.get(), frame_.get()), "avcodec_send_frame");
    drain(ready);
}

bool PictureEncoder::takesAsIs(const AVFrame& picture) const {
    const bool tagged601 = picture.colorspace == AVCOL_SPC_SMPTE170M || picture.colorspace == AVCOL_SPC_BT470BG ||
                           picture.colorspace == AVCOL_SPC_UNSPECIFIED;
    return picture.format == AV_PIX_FMT_YUV420P && picture.width == encoder_->width &&
           picture.height == encoder_->height && tagged601 && picture.color_range != AVCOL_RANGE_JPEG;
}

void PictureEncoder::encode(const AVFrame& picture, int64_t pts, const std::function<void(AVPacket*)>& ready) {
    const Frame shared = makeFrame();
    check(av_frame_ref(shared.get(), &picture), "av_frame_ref");
    shared->pts = pts;
    shared->pict_type = AV_PICTURE_TYPE_NONE;
    shared->colorspace = AVCOL_SPC_SMPTE170M;
    shared->color_range = AVCOL_RANGE_MPEG;
    check(avcodec_send_frame(encoder_.get(), shared.get()), "avcodec_send_frame");
    drain(ready);
}

void PictureEncoder::flush(const std::function<void(AVPacket*)>& ready) {
    check(avcodec_send_frame(encoder_.get(), nullptr), "avcodec_send_frame");
    drain(ready);
}

void PictureEncoder::drain(const std::function<void(AVPacket*)>& ready) {
    for (;;) {
        const int result = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        check(result, "avcodec_receive_packet");
        ready(packet_.get());
        av_packet_unref(packet_.get());
    }
}

}  // namespace tavero::media
