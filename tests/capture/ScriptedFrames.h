#pragma once

#include "capture/ScrollFrameSource.h"
#include "capture/ScrollingCapture.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace tavero::test {

// Stands in for the frame stream of a scrolling session: the test hands the
// session its frames and failures, and decides whether a stop answers.
class ScriptedFrames {
public:
    // Installed into a session; each stream it makes becomes the current one.
    ScrollingCapture::StreamFactory factory() {
        return [this] { return std::make_unique<Stream>(*this); };
    }

    bool running() const { return current_ && current_->running; }
    // Hands `frame` to the session as the stream would, on the main thread.
    void send(const QImage& frame) {
        if (running()) current_->frame(frame);
    }
    void fail(const ShotError& error) {
        if (current_ && current_->failed) current_->failed(error);
    }
    // Runs a stop completion that was held back.
    void answerHeldStop() {
        if (auto completion = std::exchange(heldStop_, nullptr)) completion();
    }

    // Makes the next start throw.
    std::optional<ShotError> startError;
    // When false, stops never answer (until answerHeldStop).
    bool answerStops = true;
    int starts = 0;
    int stops = 0;
    std::optional<CaptureRegion> region;

private:
    struct Stream final : QObject, ScrollFrameSource {
        explicit Stream(ScriptedFrames& owner) : owner(owner) { owner.current_ = this; }
        ~Stream() override {
            if (owner.current_ == this) owner.current_ = nullptr;
        }

        void start(const CaptureRegion& area, const ShareableContent&, FrameHandler onFrame,
                   FailureHandler onFailure) override {
            ++owner.starts;
            if (owner.startError) throw *owner.startError;
            owner.region = area;
            frame = std::move(onFrame);
            failed = std::move(onFailure);
            running = true;
        }

        void stop(std::function<void()> completion) override {
            ++owner.stops;
            if (!running) return completion();
            running = false;
            if (owner.answerStops) QTimer::singleShot(0, this, completion);
            else owner.heldStop_ = std::move(completion);
        }

        ScriptedFrames& owner;
        FrameHandler frame;
        FailureHandler failed;
        bool running = false;
    };

    Stream* current_ = nullptr;
    std::function<void()> heldStop_;
};

}  // namespace tavero::test
