#include "app/TrayRest.h"

namespace tavero {

TrayRest::TrayRest(std::function<bool()> resting, std::function<void()> giveBack, std::chrono::milliseconds settleTime,
                   QObject* parent)
    : QObject(parent), resting_(std::move(resting)), giveBack_(std::move(giveBack)) {
    timer_.setSingleShot(true);
    timer_.setInterval(settleTime);
    connect(&timer_, &QTimer::timeout, this, [this] {
        given_ = true;
        giveBack_();
    });
}

// A rest already counting goes on counting.
void TrayRest::update() {
    if (!resting_()) {
        timer_.stop();
        given_ = false;
        return;
    }
    if (!timer_.isActive() && !given_) timer_.start();
}

}  // namespace tavero
