#include "tests/support/Beeper.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace tavero::test {

Beeper::Beeper() {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, rate, 1};
    const auto bytes = [&](int ms) { return uint32_t(pa_usec_to_bytes(pa_usec_t(ms) * 1000, &spec)); };
    const pa_buffer_attr buffer{bytes(200), bytes(20), uint32_t(-1), uint32_t(-1), uint32_t(-1)};
    stream_ = pa_simple_new(nullptr, "tavero-test", PA_STREAM_PLAYBACK, nullptr, "beep", &spec, nullptr, &buffer,
                            nullptr);
    if (stream_) thread_ = std::thread([this] { play(); });
}

Beeper::~Beeper() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (stream_) pa_simple_free(stream_);
}

std::optional<Beeper::Clock::time_point> Beeper::beepTime() {
    std::lock_guard guard(lock_);
    return beepTime_;
}

void Beeper::play() {
    const std::vector<float> silence(240, 0.0f);
    std::vector<float> tone(size_t(rate) / 5);
    for (size_t index = 0; index < tone.size(); ++index)
        tone[index] = float(0.3 * std::sin(2 * std::numbers::pi * frequency * double(index) / rate));
    int beeped = 0;
    while (!stopping_) {
        if (asked_ > beeped) {
            beeped = asked_;
            // Written after what is queued: it sounds once that has played.
            const pa_usec_t latency = pa_simple_get_latency(stream_, nullptr);
            {
                std::lock_guard guard(lock_);
                beepTime_ = Clock::now() + std::chrono::microseconds(latency);
            }
            pa_simple_write(stream_, tone.data(), tone.size() * sizeof(float), nullptr);
            continue;
        }
        if (pa_simple_write(stream_, silence.data(), silence.size() * sizeof(float), nullptr) < 0) return;
    }
}

}  // namespace tavero::test
