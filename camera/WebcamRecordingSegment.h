#pragma once

#include "camera/CameraFraming.h"
#include "camera/RecordingEffects.h"
#include "camera/WebcamFeed.h"
#include "platform/Scheduler.h"
#include "platform/desktop/PointerSource.h"
#include "recording/RecordingCaptureSettings.h"
#include "recording/RecordingFinalizer.h"
#include "recording/RecordingSegmentWriting.h"
#include "recording/RecordingSession.h"
#include "recording/ScreenCapture.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

namespace tavero {

class CameraSamples;

// What a camera segment writer records with; tests replace the screen, the
// pointer, the capture, the check of the file and the clock.
struct WebcamRecordingServices {
    using Open = std::function<std::unique_ptr<ScreenCapture>(
        const QString& path, std::unique_ptr<PictureFeed> feed, const media::LivePartFormat& format,
        ScreenCapture::Started started, ScreenCapture::Failed failed, const media::SoundRecorder::Open& openSound)>;

    Open open = openLivePartCapture;
    std::function<std::unique_ptr<PictureFeed>(const ScreenScope& scope)> openScreen = openScreenFeed;
    std::function<std::shared_ptr<PointerSource>()> pointer = makePointerSource;
    // Opens the screen take's sound inputs (the sound server's).
    media::SoundRecorder::Open openSound = openSoundCapture;
    RecordingFinalizer::Validate validate = RecordedVideoValidation::inBackground;
    Scheduler* scheduler = &Scheduler::main();
};

// Writes one part of a take with the camera picture, paced by the camera:
// every camera picture that gets through the one-picture gate becomes one
// frame, stamped with the camera's own time. Over the screen, the frame is
// the latest screen picture in the smart-camera look following the live
// pointer, with the portrait laid in where the feed's layout puts it, and
// the part's sound tracks are "system" (when the settings record it) and
// "mic" (when the microphone is on), from the sound server. Camera only, the
// frame is the framing's crop of the camera at its output size, and "mic"
// is the feed's microphone.
//
// Created → started (capture running, feed observed, start-up limit and
// watchdog armed) → writing (first frame: onStarted) → stopping (asked to,
// the capture failed, no frame within 20 s, or the camera silent for over
// 3 s after frames were written) → finishing → finished (onFinished once).
// A part without a single frame is a failure and leaves no file. Main thread.
class WebcamRecordingSegment : public QObject, public RecordingSegmentWriting {
public:
    static constexpr Seconds startLimit{20.0};
    static constexpr Seconds silenceLimit{3.0};
    static constexpr double saveLimit = 25.0;

    WebcamRecordingSegment(WebcamFeed& feed, std::optional<RecordingCaptureSettings> settings,
                           RecordingEffects effects, bool microphone, CameraFraming framing,
                           WebcamRecordingServices services = {});
    ~WebcamRecordingSegment() override;

    QSize videoSize() const override { return videoSize_; }
    double elapsed() const override;
    // Refuses (ShotError) a second start, too little free space, a camera
    // framing that is not valid, a screen that cannot be read and a file or
    // sound that cannot be opened; whatever was begun is undone then, the
    // part file removed.
    void start(const QString& path) override;
    void stop(const std::optional<QString>& reason = std::nullopt) override;

    // Camera pictures offered to this part, and those dropped at its gate.
    qint64 cameraPicturesOffered() const;
    qint64 cameraPicturesDropped() const;

    // The parts of one take: a new writer with these arguments for each.
    static RecordingSession::Factory parts(WebcamFeed& feed, std::optional<RecordingCaptureSettings> settings,
                                           RecordingEffects effects, bool microphone, CameraFraming framing,
                                           WebcamRecordingServices services = {});

    // Why a part stopped by itself.
    static QString startTimedOut() { return QStringLiteral("摄像头或屏幕没有及时提供画面，请确认设备可用后重试。"); }
    static QString cameraSilent() { return QStringLiteral("摄像头画面中断，已保留录制完成的部分。"); }
    static QString noPicture() { return QStringLiteral("摄像头没有提供可录制的画面。"); }

private:
    std::unique_ptr<PictureFeed> framesFeed();
    media::LivePartFormat format() const;
    void openCapture(const QString& path);
    void observeFeed();
    void captureStarted();
    void captureFinished(const std::optional<QString>& failure);
    void checkCamera();
    void finalized(Result<RecordedVideo> result);
    void abandon();

    const QPointer<WebcamFeed> feed_;
    const std::shared_ptr<const PortraitState> portrait_;
    const std::optional<RecordingCaptureSettings> settings_;
    const RecordingEffects effects_;
    const bool microphone_;
    const CameraFraming framing_;
    const WebcamRecordingServices services_;

    std::shared_ptr<CameraSamples> samples_;
    std::unique_ptr<ScreenCapture> capture_;
    std::unique_ptr<RecordingFinalizer> finalizer_;
    std::unique_ptr<ScheduledCall> timeout_;
    std::unique_ptr<ScheduledCall> watchdog_;
    std::optional<QString> notice_;
    QString path_;
    bool stopRequested_ = false;
    QSize videoSize_;
};

}  // namespace tavero
