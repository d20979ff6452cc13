#pragma once

#include "platform/desktop/ScreenContent.h"
#include "platform/media/SoundRecorder.h"

#include <QRectF>
#include <QSize>

#include <optional>

namespace tavero {

// What one screen segment captures. A plain value built whole by the studio;
// only fixedVideoSize changes afterwards.
struct RecordingCaptureSettings {
    // The snapshot the targets were chosen from; its windows tell which of
    // them are our own, to be kept out of display captures.
    ShareableContent content;
    // The display captured, also when a region is set.
    DisplayInfo display;
    // The area captured, in the display's own points; none: the whole display.
    std::optional<QRectF> region;
    // When set, only this window is captured and `region` is ignored.
    std::optional<WindowInfo> window;
    bool systemAudio = false;
    bool microphone = false;
    // Draw the pointer into the video.
    bool cursor = false;
    // Pixels every segment after a take's first is written at, so that all
    // parts of a take share one size; none: the size follows the source.
    std::optional<QSize> fixedVideoSize;
    // Opens each part's sound on the take's own capture, when the studio has
    // one running; empty: the part's writer opens its own.
    media::SoundRecorder::Open openSound = {};
};

// The inputs a screen take's one sound track mixes.
inline QList<SoundInput> takeSoundInputs(bool systemAudio, bool microphone) {
    QList<SoundInput> inputs;
    if (systemAudio) inputs.append(SoundInput::system);
    if (microphone) inputs.append(SoundInput::microphone);
    return inputs;
}

}  // namespace tavero
