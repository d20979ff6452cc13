#pragma once

#include <QString>

namespace tavero {

// Where the recording studio's state machine stands: counting down to a
// take (with the seconds left), idle, or somewhere between starting and
// ending a take. A plain value, read on the main thread by the model, the
// status item, the menus, the main window and the recording windows.
class RecordingPhase {
public:
    enum class Kind { countdown, idle, starting, recording, pausing, paused, resuming, stopping, restarting };

    constexpr RecordingPhase(Kind kind = Kind::idle) : kind_(kind) {}
    static constexpr RecordingPhase countdown(int secondsLeft) { return RecordingPhase(secondsLeft); }

    constexpr Kind kind() const { return kind_; }
    // Seconds left of the countdown; 0 in every other phase.
    constexpr int secondsLeft() const { return secondsLeft_; }

    // A take is being prepared, made or ended: every phase but idle, the
    // countdown included.
    constexpr bool occupied() const { return kind_ != Kind::idle; }
    constexpr bool canPauseOrResume() const { return kind_ == Kind::recording || kind_ == Kind::paused; }
    // Something of the take is on disk and the take goes on: from the first
    // part's start until a stop or a retake begins.
    constexpr bool hasRecorded() const {
        return kind_ == Kind::recording || kind_ == Kind::pausing || kind_ == Kind::paused || kind_ == Kind::resuming;
    }
    // The pause control's title.
    QString pauseTitle() const;

    // Countdowns are equal with equal seconds; a countdown of 0 is not idle.
    friend constexpr bool operator==(const RecordingPhase&, const RecordingPhase&) = default;

private:
    explicit constexpr RecordingPhase(int secondsLeft) : kind_(Kind::countdown), secondsLeft_(secondsLeft) {}

    Kind kind_;
    int secondsLeft_ = 0;
};

}  // namespace tavero
