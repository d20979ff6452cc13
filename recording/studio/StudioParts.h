#pragma once

#include "camera/CursorRecorder.h"
#include "camera/SmartVideoExporter.h"
#include "camera/WebcamFeed.h"
#include "recording/studio/PortraitOverlay.h"
#include "recording/studio/RecordingOverlay.h"
#include "recording/studio/TakeRecorder.h"

#include <functional>
#include <memory>

namespace tavero {

class RecordingStudio;

// The microphone permission as the system last reported it.
enum class MicrophoneAuthorization { notDetermined, restricted, denied, authorized };

// What the recording studio is built with. The program passes the real
// parts; tests pass fakes. A part left empty takes the default given.
struct StudioParts {
    // Null: a feed that finds no camera.
    std::unique_ptr<WebcamFeed> webcam;
    // Null: no camera picture is shown over the screen.
    std::unique_ptr<PortraitOverlay> portraitOverlay;
    // Makes the recording windows on their first use; null: none are shown.
    std::function<std::unique_ptr<RecordingOverlay>(RecordingStudio& studio)> makeOverlay;
    // Samples the pointer during a take; null: one without a pointer, which samples nothing.
    std::unique_ptr<CursorRecorder> tracker;
    // The model's screen recorder; null: no take can be recorded.
    std::unique_ptr<TakeRecorder> recorder;
    // Renders the finished videos; null: none is rendered.
    std::unique_ptr<SmartVideoExporter> exporter;
    // Null: always authorized, since the sound server asks no permission.
    std::function<MicrophoneAuthorization()> microphoneAuthorization;
};

}  // namespace tavero
