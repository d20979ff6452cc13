#pragma once

#include "platform/desktop/ScreenFeed.h"
#include "platform/media/LivePartRecorder.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tavero {

// The running capture of one screen part, as the screen segment writer
// drives it: it grabs, encodes and writes the part file from the moment it
// is opened until it is finished. Main thread: its reports arrive there.
class ScreenCapture {
public:
    // The first picture is written. At most once.
    using Started = std::function<void()>;
    // The capture cannot go on; `description` says why in a few Chinese
    // words. At most once, never after finish().
    using Failed = std::function<void(const QString& description)>;
    // The file is complete, or, with a description, could not be completed.
    using Finished = std::function<void(const std::optional<QString>& failure)>;
    // Creates the part file at `path` and starts capturing `scope` into it,
    // with the sound `openSound` opens. Throws ShotError, and then nothing
    // runs. The callbacks are never called from inside this call.
    using Open = std::function<std::unique_ptr<ScreenCapture>(
        const QString& path, const ScreenScope& scope, const media::LivePartFormat& format, Started started,
        Failed failed, const media::SoundRecorder::Open& openSound)>;

    ScreenCapture() = default;
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;
    // Without finish(): stops capturing; the file keeps what was written.
    virtual ~ScreenCapture() = default;

    // Seconds of video written so far.
    virtual double elapsed() const = 0;
    // Stops capturing and completes the file off the main thread; `finished`
    // follows once on the main thread, also when the capture is gone by then.
    virtual void finish(Finished finished) = 0;
};

// The program's capture: the X screen (openScreenFeed) recorded by a
// media::LivePartRecorder with the sound of the format's tracks.
std::unique_ptr<ScreenCapture> openLiveScreenCapture(const QString& path, const ScreenScope& scope,
                                                     const media::LivePartFormat& format, ScreenCapture::Started started,
                                                     ScreenCapture::Failed failed,
                                                     const media::SoundRecorder::Open& openSound);

// Records the pictures of `feed` (the camera path's composed frames) with
// the sound `openSound` opens, as openLiveScreenCapture records the screen.
std::unique_ptr<ScreenCapture> openLivePartCapture(const QString& path, std::unique_ptr<PictureFeed> feed,
                                                   const media::LivePartFormat& format, ScreenCapture::Started started,
                                                   ScreenCapture::Failed failed,
                                                   const media::SoundRecorder::Open& openSound = openSoundCapture);

}  // namespace tavero
