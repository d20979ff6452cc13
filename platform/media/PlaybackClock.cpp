#include "platform/media/PlaybackClock.h"

namespace tavero::media {

double PlaybackClock::position(Time now) const {
    if (!running_ || now <= anchor_) return base_;
    return base_ + std::chrono::duration<double>(now - anchor_).count();
}

void PlaybackClock::run(Time now, bool soundComing) {
    if (running_) return;
    running_ = true;
    anchor_ = soundComing ? now + soundWait : now;
}

void PlaybackClock::stop(Time now) {
    base_ = position(now);
    running_ = false;
}

void PlaybackClock::moveTo(double position, Time now, bool soundComing) {
    base_ = position;
    anchor_ = soundComing ? now + soundWait : now;
}

void PlaybackClock::follow(double position, Time at) {
    if (!running_) return;
    base_ = position;
    anchor_ = at;
}

void PlaybackClock::runFree(Time now) {
    base_ = position(now);
    anchor_ = now;
}

}  // namespace tavero::media
