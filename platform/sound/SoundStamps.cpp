#include "platform/sound/SoundStamps.h"

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

// The span the mean offset is taken over.
constexpr Seconds meanSpan{1.0};

std::chrono::steady_clock::duration toClock(Seconds seconds) {
    return std::chrono::round<std::chrono::steady_clock::duration>(seconds);
}

}  // namespace

MonotonicTime SoundStamps::end() const {
    return *anchor_ + toClock(Seconds(double(frames_) / rate_));
}

void SoundStamps::restart(MonotonicTime at, int rate) {
    anchor_ = at;
    frames_ = 0;
    rate_ = rate;
}

MonotonicTime SoundStamps::place(MonotonicTime measured, int frames, int rate, MonotonicTime arrived) {
    if (frames <= 0 || rate <= 0) return anchor_ ? std::max(measured, end()) : measured;
    const Seconds length(double(frames) / rate);
    const bool endsAfterArrival = anchor_ && end() + toClock(length - gapTolerance) > arrived;
    if (!anchor_ || endsAfterArrival) {
        // Even a measured stamp can lie past the arrival (a negative latency).
        restart(std::min(measured, arrived - toClock(length)), rate);
        offset_ = Seconds(0);
        lateBefore_ = false;
    } else {
        if (rate != rate_) restart(end(), rate);
        const Seconds error = measured - end();
        const bool late = error > gapTolerance;
        if (late && lateBefore_) {
            restart(measured, rate);
            offset_ = Seconds(0);
            lateBefore_ = false;
        } else {
            lateBefore_ = late;
            offset_ += (error - offset_) * std::min(1.0, length / meanSpan);
            if (std::fabs(offset_.count()) > deadband.count()) {
                const Seconds limit = length * followRate;
                const Seconds step = std::clamp(offset_, -limit, limit);
                restart(end() + toClock(step), rate);
                offset_ -= step;
            }
        }
    }
    const MonotonicTime stamp = end();
    frames_ += frames;
    return stamp;
}

}  // namespace tavero
