#pragma once

#include "recording/RecordingSession.h"
#include "recording/studio/TakeRecorder.h"

#include <functional>

namespace tavero {

// The studio's side of a RecordingSession (the model's screen recorder):
// pause, resume, stop and the reports go straight through; how a take is
// begun is handed in, since only the owner of the session knows its part
// writers. The session must outlive this object, which takes over its four
// callbacks and clears them when it goes. Main thread.
class SessionTakeRecorder final : public TakeRecorder {
public:
    // Begins a take on the session; throws ShotError.
    using StartScreen = std::function<void(const RecordingCaptureSettings& settings, const QString& url)>;
    using StartCamera = std::function<void(const CameraTake& take, const QString& url)>;

    SessionTakeRecorder(RecordingSession& session, StartScreen startScreen, StartCamera startCamera);
    ~SessionTakeRecorder() override;
    SessionTakeRecorder(const SessionTakeRecorder&) = delete;
    SessionTakeRecorder& operator=(const SessionTakeRecorder&) = delete;

    double elapsed() const override { return session_.elapsed(); }
    QSize videoSize() const override { return session_.videoSize(); }
    void start(const RecordingCaptureSettings& settings, const QString& url) override { startScreen_(settings, url); }
    void startWithCamera(const CameraTake& take, const QString& url) override { startCamera_(take, url); }
    void pause() override { session_.pause(); }
    void resume() override { session_.resume(); }
    void stop(const std::optional<QString>& reason = std::nullopt) override { session_.stop(reason); }

private:
    RecordingSession& session_;
    StartScreen startScreen_;
    StartCamera startCamera_;
};

}  // namespace tavero
