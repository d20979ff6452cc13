#include "platform/media/RecodedSound.h"

#include "platform/media/MediaError.h"
#include "platform/media/SoundResampling.h"

#include <algorithm>
#include <cmath>

namespace tavero::media {

namespace {

constexpr int rate = 48000;
constexpr int channels = 2;
// Silence is coded in blocks of this many samples.
constexpr int silenceBlock = 4096;

// The source's fault when it fails.
CodecContext sourceDecoder(const AVStream* from) {
    try {
        return openDecoder(from);
    } catch (const MediaError& error) {
        throw SourceError(error);
    }
}

}  // namespace

bool copiedIntoMp4(const AVCodecParameters* sound) {
    switch (sound->codec_id) {
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3:
        return true;
    default:
        return false;
    }
}

RecodedSound::RecodedSound(const AVStream* from, double origin, double start, double end, bool globalHeader)
    : from_(from),
      origin_(origin),
      start_(start),
      length_(std::llround((end - start) * rate)),
      decoder_(sourceDecoder(from)),
      sound_(channels, rate),
      encoder_(globalHeader),
      frame_(makeFrame()) {}

void RecodedSound::take(const AVPacket& packet, const Ready& ready) { decode(&packet, ready); }

void RecodedSound::finish(const Ready& ready) {
    decode(nullptr, ready);
    lay(sound_.drain(), ready);
    encoder_.flush(ready);
}

// A damaged packet is left out, as players leave it.
void RecodedSound::decode(const AVPacket* packet, const Ready& ready) {
    const int sent = avcodec_send_packet(decoder_.get(), packet);
    if (sent != AVERROR_INVALIDDATA && sent != AVERROR_EOF) check(sent, "avcodec_send_packet");
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.get(), frame_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        if (received == AVERROR_INVALIDDATA) continue;
        check(received, "avcodec_receive_frame");
        if (!next_) {
            const int64_t stamp = frame_->best_effort_timestamp;
            const double at = stamp != AV_NOPTS_VALUE ? double(stamp) * av_q2d(from_->time_base) - origin_ : start_;
            next_ = std::llround((at - start_) * rate);
        }
        lay(sound_.convert(*frame_), ready);
        av_frame_unref(frame_.get());
    }
}

void RecodedSound::silenceUntil(int64_t position, const Ready& ready) {
    const std::vector<float> silence(size_t(silenceBlock) * channels, 0.0f);
    while (coded_ < position) {
        const auto block = int(std::min<int64_t>(position - coded_, silenceBlock));
        encoder_.encode(silence.data(), block, ready);
        coded_ += block;
    }
}

// Codes the converted samples that lie within the stretch; a sound that
// starts late is preceded by silence.
void RecodedSound::lay(const std::vector<float>& samples, const Ready& ready) {
    const auto count = int64_t(samples.size() / channels);
    const int64_t at = next_.value_or(0);
    next_ = at + count;
    if (coded_ < std::min(at, length_)) silenceUntil(std::min(at, length_), ready);
    const int64_t skip = std::max<int64_t>(coded_ - at, 0);
    const int64_t kept = std::min<int64_t>(count - skip, length_ - coded_);
    if (kept <= 0) return;
    encoder_.encode(samples.data() + size_t(skip) * channels, int(kept), ready);
    coded_ += kept;
}

}  // namespace tavero::media
