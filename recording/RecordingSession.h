#pragma once

namespace tavero {

// Records one take as numbered segment files. This build has no segment
// writer, so no session ever starts and isActive() stays false; the model's
// screenshot guard reads it all the same, and tests stand in a running
// session by overriding it. Main thread.
class RecordingSession {
public:
    virtual ~RecordingSession() = default;

    // A session runs: starting, recording, paused or stopping.
    virtual bool isActive() const;
};

}  // namespace tavero
