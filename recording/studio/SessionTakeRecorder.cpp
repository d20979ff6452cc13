#include "recording/studio/SessionTakeRecorder.h"

namespace tavero {

SessionTakeRecorder::SessionTakeRecorder(RecordingSession& session, StartScreen startScreen, StartCamera startCamera)
    : session_(session), startScreen_(std::move(startScreen)), startCamera_(std::move(startCamera)) {
    session_.onStarted = [this] { reportStarted(); };
    session_.onPaused = [this] { reportPaused(); };
    session_.onStopping = [this] { reportStopping(); };
    session_.onFinished = [this](Result<RecordedVideo> result) { reportFinished(std::move(result)); };
}

SessionTakeRecorder::~SessionTakeRecorder() {
    session_.onStarted = nullptr;
    session_.onPaused = nullptr;
    session_.onStopping = nullptr;
    session_.onFinished = nullptr;
}

}  // namespace tavero
