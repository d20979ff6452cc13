#pragma once

#include "camera/CursorRecorder.h"
#include "camera/SmartVideoExporter.h"
#include "camera/WebcamFeed.h"
#include "platform/Scheduler.h"
#include "platform/sound/SoundSources.h"
#include "recording/studio/MicrophonePermission.h"
#include "recording/studio/PortraitOverlay.h"
#include "recording/studio/RecordingOverlay.h"
#include "recording/studio/TakeRecorder.h"

#include <QString>

#include <functional>
#include <memory>

namespace tavero {

class RecordingStudio;

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
    std::unique_ptr<MicrophonePermission> microphone;
    // Plays a short sound by its name ("Tink", "Pop"); null: silent.
    std::function<void(const QString& name)> playSound;
    // Opens the sound of a screen take from its countdown on, so that its
    // parts begin with sound; null: each part opens its own.
    media::SoundRecorder::Open openSound;
    // Asks the sound server what a take can record (findSoundSources); null:
    // nothing is asked, and a take finds out once its sound opens.
    std::function<SoundSources()> findSound;
    // The countdown's and the take clock's timers; null: the event loop's.
    Scheduler* scheduler = nullptr;
};

}  // namespace tavero
