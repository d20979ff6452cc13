#include "platform/media/SoundResampling.h"

#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace tavero::media {

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
    return resampler;
}

}  // namespace tavero::media
