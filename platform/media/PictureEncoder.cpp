#include "platform/media/PictureEncoder.h"

#include "platform/media/MediaError.h"
#include "platform/media/PacketMemory.h"
#include "platform/threads/ThreadName.h"

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

}  // namespace

PictureEncoder::PictureEncoder(QSize size, bool globalHeader, const PictureCoding& coding)
    : packetMemory_(std::make_shared<ReusedMemory>(keptPackets)), packet_(makePacket()), converter_(size) {
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
    encoder_->sample_aspect_ratio = coding.pixelAspect;
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

    frame_ = converter_.makeFrame();
}

void PictureEncoder::encode(const QImage& picture, int64_t pts, bool keyframe,
                            const Ready& ready) {
    converter_.convert(picture, *frame_);
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

void PictureEncoder::encode(const AVFrame& picture, int64_t pts, bool keyframe,
                            const Ready& ready) {
    const Frame shared = makeFrame();
    check(av_frame_ref(shared.get(), &picture), "av_frame_ref");
    shared->pts = pts;
    shared->pict_type = keyframe ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    shared->colorspace = AVCOL_SPC_SMPTE170M;
    shared->color_range = AVCOL_RANGE_MPEG;
    check(avcodec_send_frame(encoder_.get(), shared.get()), "avcodec_send_frame");
    drain(ready);
}

void PictureEncoder::flush(const Ready& ready) {
    check(avcodec_send_frame(encoder_.get(), nullptr), "avcodec_send_frame");
    drain(ready);
}

void PictureEncoder::drain(const Ready& ready) {
    for (;;) {
        const int result = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        check(result, "avcodec_receive_packet");
        ready(packet_.get());
        av_packet_unref(packet_.get());
    }
}

}  // namespace tavero::media
