#include "tests/support/ManualScheduler.h"

#include <algorithm>

namespace tavero::test {

namespace {

class ManualCall : public ScheduledCall {
public:
    explicit ManualCall(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    ~ManualCall() override { cancel_(); }

private:
    std::function<void()> cancel_;
};

}  // namespace

std::unique_ptr<ScheduledCall> ManualScheduler::after(Seconds delay, std::function<void()> task) {
    const Seconds wait = delay.count() > 0 ? delay : Seconds(0);
    auto call = std::make_shared<Call>(Call{state_->now + std::chrono::duration_cast<MonotonicTime::duration>(wait),
                                            std::move(task)});
    state_->calls.push_back(call);
    std::weak_ptr<State> state = state_;
    return std::make_unique<ManualCall>([state, call] {
        if (auto alive = state.lock()) alive->calls.remove(call);
    });
}

void ManualScheduler::advance(Seconds span) {
    const MonotonicTime end = state_->now + std::chrono::duration_cast<MonotonicTime::duration>(span);
    for (;;) {
        auto next = std::min_element(state_->calls.begin(), state_->calls.end(),
                                     [](const auto& a, const auto& b) { return a->due < b->due; });
        if (next == state_->calls.end() || (*next)->due > end) break;
        const std::shared_ptr<Call> call = *next;
        state_->calls.erase(next);
        state_->now = std::max(state_->now, call->due);
        call->task();
    }
    state_->now = end;
}

}  // namespace tavero::test
