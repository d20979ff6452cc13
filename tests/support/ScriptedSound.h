#pragma once

#include "platform/media/SoundRecorder.h"

#include <memory>
#include <vector>

namespace tavero::test {

// A sound capture whose chunks and failure the test hands in, with the
// stamps it chooses: opened through a SoundRecorder's `Open`. Deliver only
// while the recorder that opened it lives.
struct ScriptedSound {
    SoundCapture::ChunkHandler chunk;
    SoundCapture::FailureHandler failed;
    QList<SoundInput> inputs;

    media::SoundRecorder::Open opener() {
        return [this](const QList<SoundInput>& asked, SoundCapture::ChunkHandler handler,
                      SoundCapture::FailureHandler failure) {
            inputs = asked;
            chunk = std::move(handler);
            failed = std::move(failure);
            return std::make_unique<SoundCapture>();
        };
    }

    // Interleaved stereo at 48 kHz whose first sample was captured at `captured`.
    void deliver(SoundInput input, const std::vector<float>& stereo, MonotonicTime captured) const {
        chunk({input, stereo.data(), int(stereo.size() / 2), 2, 48000, captured});
    }
};

}  // namespace tavero::test
