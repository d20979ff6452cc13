#pragma once

#include "platform/Scheduler.h"

#include <QtGlobal>

#include <optional>

namespace tavero {

// The capture times of consecutive chunks of one sound input. What the
// sound server lets us measure (arrival minus the latency it reports) jitters
// by a few milliseconds, under load by more than a chunk's length, so
// measured stamps would make chunks overlap and run backwards. A chunk
// therefore follows the previous one's end, unless the measured stamps of two
// chunks in a row are later than that by more than `gapTolerance`: then sound
// was really lost (a hole, an overrun) and the second chunk's measured stamp
// is taken; one late stamp alone is a spike. The mean offset of the
// measured stamps from the placed ones is followed slowly (at most
// `followRate` of the sound's length, once it exceeds `deadband`), so that a
// sound card whose clock runs fast or slow against ours stays in step and a
// spike taken for a gap is undone. Stamps run backwards only where they
// were provably late: a chunk has arrived whole, so it cannot have ended
// after it arrived. A stream's first latency can be reported before the
// server has counted a backlog it then hands over at once (seconds of a
// microphone's sound); the stamps would run that much late for good, so a
// chunk placed to end after its arrival is placed where it was measured (or
// to end as it arrived, if even that is later).
class SoundStamps {
public:
    static constexpr Seconds gapTolerance{0.010};
    static constexpr Seconds deadband{0.005};
    static constexpr double followRate = 0.005;

    // The stamp of a chunk of `frames` at `rate` whose first sample was
    // measured to be captured at `measured`, and which arrived at `arrived`.
    MonotonicTime place(MonotonicTime measured, int frames, int rate, MonotonicTime arrived);

private:
    MonotonicTime end() const;
    void restart(MonotonicTime at, int rate);

    // The previous chunk ended `frames_` samples at `rate_` after `anchor_`;
    // counted in samples so that lengths add up exactly.
    std::optional<MonotonicTime> anchor_;
    qint64 frames_ = 0;
    int rate_ = 0;
    // The mean of measured minus placed over about the last second.
    Seconds offset_{0};
    // The previous chunk was measured past the tolerance.
    bool lateBefore_ = false;
};

}  // namespace tavero
