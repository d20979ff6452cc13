#pragma once

#include "camera/RecordingProject.h"
#include "platform/ShotError.h"

#include <QString>

#include <functional>
#include <variant>

namespace tavero {

// Renders the finished smart-camera video of a raw recording: every picture
// composed again with the camera that follows the pointer and the framed
// look its project asks for, the sound carried over, into a new MP4 file.
// The recording studio owns one and runs one render at a time. Main thread:
// both callbacks arrive there.
class SmartVideoExporter {
public:
    // cancel() ended the render; the studio says so in words of its own.
    struct Cancelled {};
    // The finished video's path, a cancellation, or the failure's sentence.
    using Outcome = std::variant<QString, Cancelled, ShotError>;
    using Progress = std::function<void(double fraction)>;
    using Completion = std::function<void(Outcome outcome)>;

    virtual ~SmartVideoExporter() = default;

    // Renders `source` as `project` describes into `destination` and returns
    // at once. `progress` follows with the fraction done (0…1, the first
    // report at once, 1 just before a success); `completion` comes exactly
    // once. A failed or cancelled render leaves no file at `destination`,
    // unless that is `source` itself.
    virtual void exportVideo(const QString& source, const QString& destination, const RecordingProject& project,
                             Progress progress, Completion completion) = 0;
    // Ends the running render, which then completes as Cancelled; nothing
    // when none runs.
    virtual void cancel() = 0;
};

}  // namespace tavero
