#pragma once

#include <functional>

namespace tavero {

// The studio's side of the screen recorder that writes a take as parts:
// what the studio reads of it and the callbacks it installs. Main thread;
// every callback arrives there.
class TakeRecorder {
public:
    virtual ~TakeRecorder() = default;

    // Seconds recorded in the take; it stands still while pausing and paused.
    virtual double elapsed() const = 0;

    // A pause is complete: the current part is closed.
    void setOnPaused(std::function<void()> paused) { onPaused_ = std::move(paused); }

protected:
    void reportPaused() const {
        if (onPaused_) onPaused_();
    }

private:
    std::function<void()> onPaused_;
};

}  // namespace tavero
