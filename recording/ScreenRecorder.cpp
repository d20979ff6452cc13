#include "recording/ScreenRecorder.h"

#include "recording/RecordingAudioMixJoiner.h"
#include "recording/RecordingJoiner.h"

#include <QPointer>

namespace tavero {

ScreenRecorder::ScreenRecorder(ScreenRecordingServices services) : services_(std::move(services)) {}

void ScreenRecorder::start(const ShareableContent& content, const DisplayInfo& display,
                           const std::optional<QRectF>& region, const std::optional<WindowInfo>& window,
                           const QString& url, bool systemAudio, bool microphone, bool cursor,
                           media::SoundRecorder::Open openSound) {
    setAssemble(RecordingJoiner::inBackground);
    auto shared = std::make_shared<RecordingCaptureSettings>(RecordingCaptureSettings{
        content, display, region, window, systemAudio, microphone, cursor, std::nullopt, std::move(openSound)});
    begin(url, [self = QPointer(this), shared, services = services_]() -> std::unique_ptr<RecordingSegmentWriting> {
        // Once the first part has a size, every later part keeps it, whatever
        // the display's scale has become.
        if (self && self->videoSize().width() > 0) shared->fixedVideoSize = self->videoSize();
        return std::make_unique<ScreenRecordingSegment>(*shared, services);
    });
}

void ScreenRecorder::startWithCamera(Factory cameraParts, const QString& url) {
    setAssemble(RecordingAudioMixJoiner::inBackground);
    begin(url, std::move(cameraParts));
}

}  // namespace tavero
