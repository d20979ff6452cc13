#pragma once

#include "recording/RecordingSession.h"

namespace tavero {

// The screen recorder: a recording session without state of its own, owned
// by the application model and driven by the recording studio. Main thread.
class ScreenRecorder : public RecordingSession {};

}  // namespace tavero
