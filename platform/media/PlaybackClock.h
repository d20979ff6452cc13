#pragma once

#include <chrono>

namespace tavero::media {

// Where a player stands on its video's time line, in seconds. While sound
// is heard, the sound sets the pace (follow), so that the pictures keep to
// it whatever the output's delay and however its clock drifts; without
// sound it runs on the steady clock. Not thread-safe.
class PlaybackClock {
public:
    using Time = std::chrono::steady_clock::time_point;

    // How long a clock that expects its sound stands still for it.
    static constexpr std::chrono::milliseconds soundWait{500};

    explicit PlaybackClock(double position = 0) : base_(position) {}

    double position(Time now) const;
    bool running() const { return running_; }

    // Runs on from where it stands. `soundComing`: it stands still until the
    // sound is heard (follow), at most soundWait.
    void run(Time now, bool soundComing);
    // Stands still where it is at `now`.
    void stop(Time now);
    // Stands at `position` (a seek); a running clock waits for its sound
    // again, as run() does.
    void moveTo(double position, Time now, bool soundComing);
    // The sound at `position` is heard at `at`: a running clock goes on from
    // there.
    void follow(double position, Time at);
    // The sound is gone: a running clock goes on from where it is at `now`,
    // without waiting.
    void runFree(Time now);

private:
    double base_ = 0;
    // When the clock left `base_`; in the future while it waits for sound.
    Time anchor_{};
    bool running_ = false;
};

}  // namespace tavero::media
