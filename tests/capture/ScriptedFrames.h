#pragma once

#include "capture/ScrollFrameSource.h"
#include "capture/ScrollingCapture.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace tavero::test {

// Stands in for the frame stream of a scrolling session: the test hands the
// session its frames and failures, and decides whether a stop answers. The
// streams it makes may outlive it (a session lets go of its stream on the
// next turn of the event loop).
class ScriptedFrames {
private:
    struct Stream;
    struct State {
        Stream* current = nullptr;
        std::function<void()> heldStop;
        std::optional<ShotError> startError;
        bool answerStops = true;
        int starts = 0;
        int stops = 0;
        std::optional<CaptureRegion> region;
    };

    struct Stream final : QObject, ScrollFrameSource {
        explicit Stream(std::shared_ptr<State> state) : state(std::move(state)) { this->state->current = this; }
        ~Stream() override {
            if (state->current == this) state->current = nullptr;
        }

        void start(const CaptureRegion& area, const ShareableContent&, FrameHandler onFrame,
                   FailureHandler onFailure) override {
            ++state->starts;
            if (state->startError) throw *state->startError;
            state->region = area;
            frame = std::move(onFrame);
            failed = std::move(onFailure);
            running = true;
        }

        void stop(std::function<void()> completion) override {
            ++state->stops;
            if (!running) return completion();
            running = false;
            if (state->answerStops) QTimer::singleShot(0, this, completion);
            else state->heldStop = std::move(completion);
        }

        std::shared_ptr<State> state;
        FrameHandler frame;
        FailureHandler failed;
        bool running = false;
    };

    // Declared first: the references below point into it.
    std::shared_ptr<State> state_ = std::make_shared<State>();

public:
    // Installed into a session; each stream it makes becomes the current one.
    ScrollingCapture::StreamFactory factory() {
        return [state = state_] { return std::make_unique<Stream>(state); };
    }

    bool running() const { return state_->current && state_->current->running; }
    // Hands `frame` to the session as the stream would, on the main thread.
    void send(const QImage& frame) {
        if (running()) state_->current->frame(frame);
    }
    void fail(const ShotError& error) {
        if (state_->current && state_->current->failed) state_->current->failed(error);
    }
    // Runs a stop completion that was held back.
    void answerHeldStop() {
        if (auto completion = std::exchange(state_->heldStop, nullptr)) completion();
    }

    // Makes the next start throw.
    std::optional<ShotError>& startError = state_->startError;
    // When false, stops never answer (until answerHeldStop).
    bool& answerStops = state_->answerStops;
    const int& starts = state_->starts;
    const int& stops = state_->stops;
    const std::optional<CaptureRegion>& region = state_->region;
};

}  // namespace tavero::test
