#include "platform/media/SoundEncoder.h"

#include "platform/media/MediaError.h"

#include <algorithm>

namespace tavero::media {

namespace {

constexpr int sampleRate = 48000;
constexpr int64_t bitRate = 192'000;

}  // namespace

SoundEncoder::SoundEncoder(bool globalHeader) : frame_(makeFrame()), packet_(makePacket()) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) throw MediaError("avcodec_find_encoder", AVERROR_ENCODER_NOT_FOUND);
    encoder_ = makeCodecContext(codec);
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = sampleRate;
    encoder_->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    encoder_->bit_rate = bitRate;
    encoder_->time_base = {1, sampleRate};
    if (globalHeader) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(encoder_.get(), codec, nullptr), "avcodec_open2");
}

void SoundEncoder::encode(const float* samples, int frames, const std::function<void(AVPacket*)>& ready) {
    waiting_.insert(waiting_.end(), samples, samples + size_t(frames) * 2);
    const int frameSize = encoder_->frame_size;
    while (waiting_.size() >= size_t(frameSize) * 2) send(frameSize, ready);
}

void SoundEncoder::flush(const std::function<void(AVPacket*)>& ready) {
    if (!waiting_.empty()) send(int(waiting_.size() / 2), ready);
    check(avcodec_send_frame(encoder_.get(), nullptr), "avcodec_send_frame");
    drain(ready);
}

// Sends the first `frames` waiting samples, split into the planes AAC takes.
void SoundEncoder::send(int frames, const std::function<void(AVPacket*)>& ready) {
    av_frame_unref(frame_.get());
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = sampleRate;
    frame_->nb_samples = frames;
    check(av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout), "av_channel_layout_copy");
    check(av_frame_get_buffer(frame_.get(), 0), "av_frame_get_buffer");
    auto* left = reinterpret_cast<float*>(frame_->data[0]);
    auto* right = reinterpret_cast<float*>(frame_->data[1]);
    for (int i = 0; i < frames; ++i) {
        left[i] = waiting_[size_t(i) * 2];
        right[i] = waiting_[size_t(i) * 2 + 1];
    }
    waiting_.erase(waiting_.begin(), waiting_.begin() + long(frames) * 2);
    frame_->pts = next_;
    next_ += frames;
    check(avcodec_send_frame(encoder_.get(), frame_.get()), "avcodec_send_frame");
    drain(ready);
}

void SoundEncoder::drain(const std::function<void(AVPacket*)>& ready) {
    for (;;) {
        const int result = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        check(result, "avcodec_receive_packet");
        ready(packet_.get());
        av_packet_unref(packet_.get());
    }
}

}  // namespace tavero::media
