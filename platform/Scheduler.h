#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace tavero {

using Seconds = std::chrono::duration<double>;
using MonotonicTime = std::chrono::steady_clock::time_point;

// A call waiting in a Scheduler. Dropping it cancels the call; it never runs
// after its handle is gone.
class ScheduledCall {
public:
    virtual ~ScheduledCall() = default;
};

// The main thread's clock and delayed calls. Deadlines and watchdogs take one
// by reference, so their tests move time forward instead of waiting for it.
// Main thread only.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // The monotonic clock every recording time is measured on.
    virtual MonotonicTime now() const = 0;
    // Runs `task` once on the main thread when `delay` has passed (at once for
    // a delay of zero or less, but never inside this call).
    [[nodiscard]] virtual std::unique_ptr<ScheduledCall> after(Seconds delay, std::function<void()> task) = 0;

    // The event loop's timers on steady_clock: the one the program uses.
    static Scheduler& main();
};

}  // namespace tavero
