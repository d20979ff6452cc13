#pragma once

namespace tavero {

// Where a recording session stands; its transitions belong to the session.
enum class RecordingSessionState { idle, starting, recording, pausing, paused, resuming, stopping, finishing };

}  // namespace tavero
