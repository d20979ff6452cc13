#pragma once

#include "platform/Scheduler.h"

#include <list>
#include <memory>

namespace tavero::test {

// A Scheduler whose time moves only when the test says so: deadlines and
// watchdogs are tested without waiting for them.
class ManualScheduler : public Scheduler {
public:
    MonotonicTime now() const override { return state_->now; }
    std::unique_ptr<ScheduledCall> after(Seconds delay, std::function<void()> task) override;

    // Moves time forward, running each call that falls due on the way at its
    // own time, in time order (calls scheduled meanwhile included).
    void advance(Seconds span);
    // Calls waiting to run.
    int pending() const { return int(state_->calls.size()); }

private:
    struct Call {
        MonotonicTime due;
        std::function<void()> task;
    };
    struct State {
        MonotonicTime now{};
        std::list<std::shared_ptr<Call>> calls;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tavero::test
