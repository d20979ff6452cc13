#include "platform/media/SoundResampling.h"

#include "platform/media/MediaError.h"

#include <vector>

extern "C" {
#include <libavutil/opt.h>
}

namespace tavero::media {

namespace {

// Every channel into every output channel alike, at a level no output
// channel can pass: sound of a count FFmpeg names no channels for (9 to 15,
// 17 to 23 and more than 24) has no places to mix from, and is heard whole.
std::vector<double> evenMix(int inputs, int outputs) {
    return std::vector<double>(size_t(inputs) * size_t(outputs), 1.0 / inputs);
}

}  // namespace

Resampler allocateResampler(const AVChannelLayout& input, AVSampleFormat inputFormat, int inputRate,
                            const AVChannelLayout& output, AVSampleFormat outputFormat, int outputRate) {
    AVChannelLayout from = input;
    if (from.order != AV_CHANNEL_ORDER_NATIVE) av_channel_layout_default(&from, input.nb_channels);
    AVChannelLayout to = output;
    SwrContext* made = nullptr;
    check(swr_alloc_set_opts2(&made, &to, outputFormat, outputRate, &from, inputFormat, inputRate, 0, nullptr),
          "swr_alloc_set_opts2");
    Resampler resampler(made);
    check(av_opt_set_double(made, "rematrix_maxval", 1.0, 0), "av_opt_set_double");
    if (from.order != AV_CHANNEL_ORDER_NATIVE && from.nb_channels != to.nb_channels)
        check(swr_set_matrix(made, evenMix(from.nb_channels, to.nb_channels).data(), from.nb_channels),
              "swr_set_matrix");
    return resampler;
}

std::vector<float> InterleavedSound::convert(const AVFrame& frame) {
    if (!resampler_) {
        AVChannelLayout output;
        av_channel_layout_default(&output, channels_);
        resampler_ = allocateResampler(frame.ch_layout, AVSampleFormat(frame.format), frame.sample_rate, output,
                                       AV_SAMPLE_FMT_FLT, rate_);
        check(swr_init(resampler_.get()), "swr_init");
    }
    return run(const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
}

std::vector<float> InterleavedSound::drain() { return resampler_ ? run(nullptr, 0) : std::vector<float>(); }

std::vector<float> InterleavedSound::run(const uint8_t** input, int count) {
    const int room = check(swr_get_out_samples(resampler_.get(), count), "swr_get_out_samples");
    std::vector<float> samples(size_t(room) * size_t(channels_));
    auto* out = reinterpret_cast<uint8_t*>(samples.data());
    const int made = check(swr_convert(resampler_.get(), &out, room, input, count), "swr_convert");
    samples.resize(size_t(made) * size_t(channels_));
    return samples;
}

}  // namespace tavero::media
