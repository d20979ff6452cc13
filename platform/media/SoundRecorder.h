#pragma once

#include "platform/Scheduler.h"
#include "platform/sound/SoundCapture.h"

#include <QList>

#include <functional>
#include <memory>

namespace tavero::media {

// The sound of one part: captures the inputs, places them on the part's
// clock (SoundTimeline) and hands each track consecutive 48 kHz stereo
// samples from the part's time zero on. A track of two inputs mixes them at
// 0.8 each through a soft limiter (the screen writer's one track); a track
// of one input carries it as it is (the camera writer's "system" and "mic").
//
// Its thread ("tavero-sound") does the work and calls `write`. An input is
// waited for as long as its sound has been late (a server can hand over the
// first seconds of a stream at once), and a quarter of a second at least;
// beyond that it is taken as silence, so the tracks keep pace with the
// pictures. Sound waits for the thread in a bounded queue: when the thread
// falls behind by seconds, the oldest sound is dropped and counted, and the
// capture's thread never waits. Main thread or any one owning thread.
class SoundRecorder {
public:
    // Each entry is one track and lists its inputs.
    using Tracks = QList<QList<SoundInput>>;
    // Consecutive samples of track `track` (interleaved stereo floats).
    using Write = std::function<void(int track, const float* samples, int frames)>;
    using Open = std::function<std::unique_ptr<SoundCapture>(const QList<SoundInput>&, SoundCapture::ChunkHandler,
                                                             SoundCapture::FailureHandler)>;

    // Opens the inputs and starts capturing. Throws what `open` throws
    // (ShotError for no sound server or no microphone). `failed` runs once,
    // on the sound thread, when capture or writing ends by itself.
    SoundRecorder(Tracks tracks, Write write, SoundCapture::FailureHandler failed, const Open& open = openSoundCapture);
    // Stops capturing and writing; what was not written is dropped.
    ~SoundRecorder();
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    // The part's time zero (its first picture): sound captured before it is
    // dropped. Any thread; only the first call counts.
    void setOrigin(MonotonicTime origin);

    // Seconds of sound dropped because they waited for the sound thread too
    // long (it could not write as fast as sound came). Any thread.
    double droppedSeconds() const;

    // Writes every track up to `seconds` from time zero once every input's
    // sound has come that far, or once it has been waited for as long as its
    // sound has been late (silence where none came), then stops capturing:
    // sound captured just before the end arrives after it. Without an origin
    // nothing is written.
    void finish(double seconds);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The mix of two inputs at 0.8 each, kept within -1 … 1 by a limiter that
// leaves quiet sound untouched and bends loud peaks smoothly.
float softLimit(float sample);

}  // namespace tavero::media
