#pragma once

#include "recording/RecordingSession.h"
#include "recording/ScreenRecordingSegment.h"

#include <QRectF>

#include <optional>

namespace tavero {

// The screen recorder: the recording session the application model owns and
// the recording studio drives. Its two entry points choose how a take's parts
// are written and joined. Main thread.
class ScreenRecorder : public RecordingSession {
public:
    // Records the screen with the program's own capture.
    ScreenRecorder() : ScreenRecorder(ScreenRecordingServices{}) {}
    // Records the screen with `services` (tests).
    explicit ScreenRecorder(ScreenRecordingServices services);

    // Records a screen take into `url` through ScreenRecordingSegment, parts
    // joined end to end. The first part is sized from its source; every later
    // part is written at exactly the first part's size; each part's sound
    // comes through `openSound` (empty: its own). Throws like begin().
    void start(const ShareableContent& content, const DisplayInfo& display, const std::optional<QRectF>& region,
               const std::optional<WindowInfo>& window, const QString& url, bool systemAudio, bool microphone,
               bool cursor, media::SoundRecorder::Open openSound = {});
    // Records a camera take into `url` with the parts `cameraParts` makes;
    // their "system" and "mic" tracks are mixed into one when joined.
    void startWithCamera(Factory cameraParts, const QString& url);

private:
    const ScreenRecordingServices services_;
};

}  // namespace tavero
