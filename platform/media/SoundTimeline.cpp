#include "platform/media/SoundTimeline.h"

#include "platform/media/MediaError.h"
#include "platform/media/SoundResampling.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavero::media {

namespace {

// Stretching within 1 % goes unheard; larger steps (over 0.1 s, libswresample's
// default) are filled with silence or trimmed instead.
constexpr double stretchLimit = 0.01;

}  // namespace

void SoundTimeline::SwrFree::operator()(SwrContext* context) const noexcept { swr_free(&context); }

SoundTimeline::SoundTimeline() = default;
SoundTimeline::~SoundTimeline() = default;

void SoundTimeline::configure(int inputChannels, int inputRate) {
    if (resampler_ && inputChannels == inputChannels_ && inputRate == inputRate_) return;
    AVChannelLayout input;
    av_channel_layout_default(&input, inputChannels);
    const AVChannelLayout output = AV_CHANNEL_LAYOUT_STEREO;
    std::unique_ptr<SwrContext, SwrFree> resampler(
        allocateResampler(input, AV_SAMPLE_FMT_FLT, inputRate, output, AV_SAMPLE_FMT_FLT, rate).release());
    SwrContext* made = resampler.get();
    // Timestamps rule: output starts at our current end, and each chunk's
    // samples land where its stamp says.
    // A mono microphone plays at its own level on both sides, not 3 dB down.
    const double monoToBoth[] = {1.0, 1.0};
    if (inputChannels == 1) check(swr_set_matrix(made, monoToBoth, 1), "swr_set_matrix");
    check(av_opt_set_double(made, "async", stretchLimit * inputRate, 0), "av_opt_set_double");
    // Stretching needs the resampler. Without one (sound at our own rate),
    // libswresample would make it at the first stretch and restart its clock
    // from the first stamp, putting the whole take's length of silence in.
    // At our own rate a cutoff at the full band leaves unstretched samples as
    // they are.
    check(av_opt_set_int(made, "swr_flags", SWR_FLAG_RESAMPLE, 0), "av_opt_set_int");
    if (inputRate == rate) check(av_opt_set_double(made, "cutoff", 1.0, 0), "av_opt_set_double");
    check(av_opt_set_int(made, "first_pts", end_ * inputRate / rate, 0), "av_opt_set_int");
    check(swr_init(made), "swr_init");
    resampler_ = std::move(resampler);
    inputChannels_ = inputChannels;
    inputRate_ = inputRate;
}

void SoundTimeline::add(const float* samples, int frames, int inputChannels, int inputRate, double start) {
    if (frames <= 0 || inputChannels <= 0 || inputRate <= 0 || !std::isfinite(start)) return;
    configure(inputChannels, inputRate);
    // libswresample counts time in 1 / (input rate × output rate) steps.
    const auto steps = std::llround(start * double(inputRate) * rate);
    swr_next_pts(resampler_.get(), steps);
    const int capacity = check(swr_get_out_samples(resampler_.get(), frames), "swr_get_out_samples");
    const size_t before = held_.size();
    held_.resize(before + size_t(capacity) * channels);
    auto* output = reinterpret_cast<uint8_t*>(held_.data() + before);
    const auto* input = reinterpret_cast<const uint8_t*>(samples);
    const int made = swr_convert(resampler_.get(), &output, capacity, &input, frames);
    held_.resize(before + size_t(std::max(made, 0)) * channels);
    check(made, "swr_convert");
    end_ += made;
}

int SoundTimeline::read(qint64 from, int frames, float* out) {
    std::fill(out, out + size_t(frames) * channels, 0.0f);
    const qint64 heldStart = end_ - qint64(held_.size() / channels);
    const qint64 first = std::max(from, heldStart);
    const qint64 last = std::min(from + frames, end_);
    if (last > first)
        std::memcpy(out + (first - from) * channels, held_.data() + (first - heldStart) * channels,
                    size_t(last - first) * channels * sizeof(float));
    const qint64 forget = std::clamp<qint64>(from + frames - heldStart, 0, qint64(held_.size() / channels));
    held_.erase(held_.begin(), held_.begin() + forget * channels);
    return int(std::max<qint64>(last - first, 0));
}

}  // namespace tavero::media
