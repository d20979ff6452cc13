#pragma once

#include <QString>

#include <optional>

namespace tavero {

// A recorded video: what every segment writer and the session hand back.
// A plain value.
struct RecordedVideo {
    // The video file's local path.
    QString url;
    // Seconds that play, as validation measured them (RecordedVideoValidation).
    double duration = 0;
    // Why the recording ended early, or what went wrong while it was kept, as
    // a sentence for the user; none for a clean recording.
    std::optional<QString> interruption;

    friend bool operator==(const RecordedVideo&, const RecordedVideo&) = default;
};

}  // namespace tavero
