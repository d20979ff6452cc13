#pragma once

#include "platform/media/SoundRecorder.h"

#include <QList>

#include <memory>

namespace tavero::media {

// The sound of a whole take, captured from before its first part until the
// take ends. A sound server can take a second or two to deliver a new
// stream's first sound, which every part opening its own capture would lose
// at its start (after each pause, too). The part being written attaches
// through opener(); between parts the sound is let go. Where this capture
// cannot serve a part (it failed to open or broke, the part asks for other
// inputs, or another part is attached), the part opens its own as before.
// Made and dropped on the main thread; its opener is used on any thread.
class TakeSoundCapture {
public:
    // Starts capturing `inputs` now; when that fails, parts open their own
    // (and report why).
    explicit TakeSoundCapture(QList<SoundInput> inputs, const SoundRecorder::Open& open = openSoundCapture);
    // Stops capturing, or, while a part is attached, once it lets go.
    ~TakeSoundCapture();
    TakeSoundCapture(const TakeSoundCapture&) = delete;
    TakeSoundCapture& operator=(const TakeSoundCapture&) = delete;

    // Opens a part's sound on this capture when it can, else as `open` does.
    SoundRecorder::Open opener() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace tavero::media
