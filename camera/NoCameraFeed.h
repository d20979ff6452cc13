#pragma once

#include "camera/WebcamFeed.h"

namespace tavero {

// The feed of a machine without a camera: every start fails at once with the
// sentence that says so. Main thread.
class NoCameraFeed final : public WebcamFeed {
public:
    void start(bool microphone, Completion completion = {}) override;
    void stop() override {}

    bool ready() const override { return false; }
    bool preparing() const override { return false; }
    QString message() const override { return message_; }

private:
    QString message_ = QStringLiteral("摄像头未开启");
};

}  // namespace tavero
