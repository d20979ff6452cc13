#include "platform/Scheduler.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavero {

namespace {

// A precise single-shot timer. It is released with deleteLater because the
// call it runs may well drop its own handle.
class TimerCall : public ScheduledCall {
public:
    TimerCall(Seconds delay, std::function<void()> task) : timer_(new QTimer) {
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(task));
        const double seconds = delay.count() > 0 ? delay.count() : 0;  // NaN waits for nothing too
        const double milliseconds = std::ceil(seconds * 1000);
        timer_->start(static_cast<int>(std::min(milliseconds, double(std::numeric_limits<int>::max()))));
    }
    ~TimerCall() override {
        timer_->stop();
        timer_->deleteLater();
    }
    TimerCall(const TimerCall&) = delete;
    TimerCall& operator=(const TimerCall&) = delete;

private:
    QTimer* timer_;
};

class EventLoopScheduler : public Scheduler {
public:
    MonotonicTime now() const override { return std::chrono::steady_clock::now(); }
    std::unique_ptr<ScheduledCall> after(Seconds delay, std::function<void()> task) override {
        return std::make_unique<TimerCall>(delay, std::move(task));
    }
};

}  // namespace

Scheduler& Scheduler::main() {
    static EventLoopScheduler scheduler;
    return scheduler;
}

}  // namespace tavero
