#pragma once

#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

namespace tavero::test {

// Plays into the default sink through a stream with a short buffer: silence,
// and each time it is asked, 0.2 s of a 3 kHz beep. Notes when the last
// beep's first sample reaches the sink, on the monotonic clock.
class Beeper {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int rate = 48000;
    static constexpr double frequency = 3000;

    Beeper();
    ~Beeper();
    Beeper(const Beeper&) = delete;
    Beeper& operator=(const Beeper&) = delete;

    bool ready() const { return stream_ != nullptr; }
    void beep() { ++asked_; }
    std::optional<Clock::time_point> beepTime();

private:
    void play();

    pa_simple* stream_ = nullptr;
    std::atomic<int> asked_{0};
    std::atomic<bool> stopping_{false};
    std::mutex lock_;
    std::optional<Clock::time_point> beepTime_;
    std::thread thread_;
};

}  // namespace tavero::test
