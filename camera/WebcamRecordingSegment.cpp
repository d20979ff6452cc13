#include "camera/WebcamRecordingSegment.h"

#include "camera/PortraitFrameFeed.h"
#include "camera/RecordingCompositor.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/RecordingMessages.h"
#include "recording/ScreenRecordingSegment.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace tavero {

namespace {

constexpr Seconds firstCheck{3.0};
constexpr Seconds checkInterval{1.0};

QString saveNotConfirmed() { return QStringLiteral("视频保存失败，已保留片段文件。"); }
QString screenNotStarted(const QString& description) {
    return QStringLiteral("录屏未能启动（") + description + QStringLiteral("）。");
}

template <typename Callback, typename... Arguments>
void notify(const Callback& callback, Arguments&&... arguments) {
    if (const Callback copy = callback) copy(std::forward<Arguments>(arguments)...);
}

}  // namespace

WebcamRecordingSegment::WebcamRecordingSegment(WebcamFeed& feed, std::optional<RecordingCaptureSettings> settings,
                                               RecordingEffects effects, bool microphone, CameraFraming framing,
                                               WebcamRecordingServices services)
    : feed_(&feed), portrait_(feed.sharedPortrait()), settings_(std::move(settings)), effects_(effects),
      microphone_(microphone), framing_(framing), services_(std::move(services)) {}

WebcamRecordingSegment::~WebcamRecordingSegment() {
    if (capture_ && feed_) feed_->observe(nullptr);
}

double WebcamRecordingSegment::elapsed() const {
    const double seconds = capture_ ? capture_->elapsed() : 0;
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

qint64 WebcamRecordingSegment::cameraPicturesOffered() const { return samples_ ? samples_->offered() : 0; }
qint64 WebcamRecordingSegment::cameraPicturesDropped() const { return samples_ ? samples_->dropped() : 0; }

void WebcamRecordingSegment::start(const QString& path) {
    if (capture_) throw ShotError(RecordingMessages::alreadyRecording());
    const QString folder = QFileInfo(path).absolutePath();
    if (const auto issue = RecordingDiskSpace::startIssue(RecordingDiskSpace::available(folder))) throw ShotError(*issue);
    if (!settings_)
        if (const std::optional<QString> issue = framing_.validationIssue()) throw ShotError(*issue);

    samples_ = std::make_shared<CameraSamples>();
    path_ = path;
    stopRequested_ = false;
    openCapture(path);
    try {
        observeFeed();
        const QPointer<WebcamRecordingSegment> self(this);
        finalizer_ = std::make_unique<RecordingFinalizer>(
            path,
            [self](Result<RecordedVideo> result) {
                if (self) self->finalized(std::move(result));
            },
            services_.validate, *services_.scheduler);
        timeout_ = services_.scheduler->after(startLimit, [this] { stop(startTimedOut()); });
        watchdog_ = services_.scheduler->after(firstCheck, [this] { checkCamera(); });
    } catch (...) {
        abandon();
        throw;
    }
}

// The frames' feed; sizes the video.
std::unique_ptr<PictureFeed> WebcamRecordingSegment::framesFeed() {
    if (!settings_) {
        videoSize_ = framing_.outputSize();
        return std::make_unique<PortraitFrameFeed>(samples_, portrait_, framing_);
    }
    ScreenScope scope = ScreenRecordingSegment::scopeOf(*settings_);
    // The pointer is always in the picture: the smart camera follows it.
    scope.cursor = true;
    PortraitScreen screen;
    try {
        screen.feed = services_.openScreen(scope);
    } catch (const PictureFeed::Lost& lost) {
        throw ShotError(screenNotStarted(lost.description()));
    }
    screen.sourceSize = scope.area.size();
    screen.area = QRectF(scope.area);
    screen.pointer = services_.pointer ? services_.pointer() : nullptr;
    screen.effects = effects_;
    videoSize_ = RecordingCompositor::outputSize(screen.sourceSize, effects_);
    return std::make_unique<PortraitFrameFeed>(samples_, portrait_, std::move(screen));
}

media::LivePartFormat WebcamRecordingSegment::format() const {
    media::LivePartFormat format{videoSize_, {}, {}};
    if (settings_ && settings_->systemAudio) {
        format.tracks.append({SoundInput::system});
        format.trackNames.append(QStringLiteral("system"));
    }
    if (microphone_) {
        format.tracks.append({SoundInput::microphone});
        format.trackNames.append(QStringLiteral("mic"));
    }
    return format;
}

// A capture that cannot open may have made the part file already: it goes,
// so a refused start leaves nothing behind.
void WebcamRecordingSegment::openCapture(const QString& path) {
    std::unique_ptr<PictureFeed> feed = framesFeed();
    media::SoundRecorder::Open openSound = settings_ && settings_->openSound ? settings_->openSound : services_.openSound;
    if (!settings_)
        openSound = [samples = samples_](const QList<SoundInput>&, SoundCapture::ChunkHandler chunk,
                                         SoundCapture::FailureHandler) { return listenToCameraSound(samples, chunk); };
    const QPointer<WebcamRecordingSegment> self(this);
    try {
        capture_ = services_.open(
            path, std::move(feed), format(),
            [self] {
                if (self && self->capture_) self->captureStarted();
            },
            [self](const QString& description) {
                if (self && self->capture_) self->stop(description);
            },
            openSound);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

void WebcamRecordingSegment::observeFeed() {
    if (!feed_) throw ShotError(noPicture());
    auto observer = std::make_shared<WebcamObserver>();
    const std::weak_ptr<CameraSamples> samples = samples_;
    observer->picture = [samples](const QImage& picture, MonotonicTime captured) {
        if (const auto alive = samples.lock()) alive->offer(picture, captured);
    };
    // Over the screen, the microphone comes from the sound server instead.
    if (!settings_)
        observer->sound = [samples](const SoundChunk& sound) {
            if (const auto alive = samples.lock()) alive->offer(sound);
        };
    feed_->observe(std::move(observer));
}

// Undoes a start that failed once the capture existed.
void WebcamRecordingSegment::abandon() {
    if (feed_) feed_->observe(nullptr);
    timeout_.reset();
    watchdog_.reset();
    finalizer_.reset();
    capture_.reset();
    QFile::remove(path_);
}

void WebcamRecordingSegment::stop(const std::optional<QString>& reason) {
    if (!capture_ || stopRequested_) return;
    stopRequested_ = true;
    timeout_.reset();
    watchdog_.reset();
    if (feed_) feed_->observe(nullptr);
    if (reason) {
        notice_ = reason;
        finalizer_->noteInterruption(*reason);
    }
    const QPointer<WebcamRecordingSegment> self(this);
    notify(onStopping);
    if (!self || !finalizer_) return;
    finalizer_->waitForWriter(saveLimit, saveNotConfirmed());
    capture_->finish([self](const std::optional<QString>& failure) {
        if (self && self->capture_) self->captureFinished(failure);
    });
}

void WebcamRecordingSegment::captureStarted() {
    if (stopRequested_) return;
    timeout_.reset();
    notify(onStarted);
}

void WebcamRecordingSegment::captureFinished(const std::optional<QString>& failure) {
    if (elapsed() <= 0) {
        // Not one frame: there is no part, and no empty file stays.
        capture_.reset();
        QFile::remove(path_);
        return finalized(ShotError(notice_.value_or(noPicture())));
    }
    if (failure) finalizer_->noteInterruption(*failure);
    finalizer_->writerFinished();
}

void WebcamRecordingSegment::checkCamera() {
    if (!capture_ || stopRequested_) return;
    const std::optional<MonotonicTime> last = samples_->lastArrival();
    if (elapsed() > 0 && last && std::chrono::steady_clock::now() - *last > silenceLimit) return stop(cameraSilent());
    watchdog_ = services_.scheduler->after(checkInterval, [this] { checkCamera(); });
}

void WebcamRecordingSegment::finalized(Result<RecordedVideo> result) {
    timeout_.reset();
    watchdog_.reset();
    capture_.reset();
    finalizer_.reset();
    notify(onFinished, std::move(result));
}

RecordingSession::Factory WebcamRecordingSegment::parts(WebcamFeed& feed,
                                                        std::optional<RecordingCaptureSettings> settings,
                                                        RecordingEffects effects, bool microphone,
                                                        CameraFraming framing, WebcamRecordingServices services) {
    return [feed = QPointer<WebcamFeed>(&feed), settings, effects, microphone, framing,
            services]() -> std::unique_ptr<RecordingSegmentWriting> {
        if (!feed) throw ShotError(noPicture());
        return std::make_unique<WebcamRecordingSegment>(*feed, settings, effects, microphone, framing, services);
    };
}

}  // namespace tavero
