#include "recording/ScreenRecordingSegment.h"

#include "document/ImageOps.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/RecordingMessages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>

#include <cmath>

namespace tavero {

namespace {

Q_LOGGING_CATEGORY(lcScreenSegment, "tavero.recording.screen")

QString startTimedOut() { return QStringLiteral("录屏启动超时，正在检查已生成的文件。"); }
QString saveNotConfirmed() { return QStringLiteral("系统未及时确认保存完成，已检查现有录屏文件。"); }
QString diskFull() { return QStringLiteral("磁盘空间不足，录制已中断。请腾出空间后继续。"); }
QString interruptedBySystem(const QString& description) {
    return QStringLiteral("录制被系统中断（") + description + QStringLiteral("）。");
}

QSize evenDown(QSize size) { return {size.width() & ~1, size.height() & ~1}; }

// The pixels the source covers: the window's frame, or the region (the whole
// display without one) in the display's points, scaled.
QSize sourcePixelSize(const RecordingCaptureSettings& settings) {
    if (settings.window) return ImageOps::capturePixelSize(QSizeF(settings.window->frame.size()), 1.0);
    const QSizeF points = settings.region ? settings.region->size() : settings.display.pointSize();
    return ImageOps::capturePixelSize(points, settings.display.scale);
}

// The source's top-left corner in root pixels.
QPoint sourceOrigin(const RecordingCaptureSettings& settings) {
    if (settings.window) return settings.window->frame.topLeft();
    const QPoint display = settings.display.pixelFrame.topLeft();
    if (!settings.region) return display;
    return display + (settings.region->topLeft() * settings.display.scale).toPoint();
}

QSize videoSizeOf(const RecordingCaptureSettings& settings) {
    return settings.fixedVideoSize ? *settings.fixedVideoSize : evenDown(sourcePixelSize(settings));
}

// One track mixing the sound inputs that are on; none when both are off.
media::LivePartFormat formatOf(const RecordingCaptureSettings& settings, QSize size) {
    media::LivePartFormat format{size, {}, {}};
    const QList<SoundInput> inputs = takeSoundInputs(settings.systemAudio, settings.microphone);
    if (!inputs.isEmpty()) {
        format.tracks.append(inputs);
        format.trackNames.append(QString());
    }
    return format;
}

quint64 nextSessionID() {
    static quint64 last = 0;
    return ++last;
}

// Calls a callback through a copy: the session may replace it, or drop this
// writer, while it runs.
template <typename Callback, typename... Arguments>
void notify(const Callback& callback, Arguments&&... arguments) {
    if (const Callback copy = callback) copy(std::forward<Arguments>(arguments)...);
}

}  // namespace

// The area is cut to even sides too, so a first part is written pixel for
// pixel rather than scaled by a fraction of a pixel.
ScreenScope ScreenRecordingSegment::scopeOf(const RecordingCaptureSettings& settings) {
    ScreenScope scope;
    scope.area = QRect(sourceOrigin(settings), evenDown(sourcePixelSize(settings)));
    scope.cursor = settings.cursor;
    if (settings.window) {
        scope.window = settings.window->id;
        return scope;
    }
    // The program's own windows stay out of display and area captures.
    const qint64 ownProcess = QCoreApplication::applicationPid();
    for (const WindowInfo& window : settings.content.windows)
        if (window.processID == ownProcess) scope.ownWindows.append(window.id);
    return scope;
}

ScreenRecordingSegment::ScreenRecordingSegment(RecordingCaptureSettings settings, ScreenRecordingServices services)
    : settings_(std::move(settings)), services_(std::move(services)) {}

ScreenRecordingSegment::~ScreenRecordingSegment() = default;

double ScreenRecordingSegment::elapsed() const {
    const double seconds = capture_ ? capture_->elapsed() : 0;
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

void ScreenRecordingSegment::start(const QString& path) {
    if (capture_) throw ShotError(RecordingMessages::alreadyRecording());
    const QString folder = QFileInfo(path).absolutePath();
    if (const auto issue = RecordingDiskSpace::startIssue(RecordingDiskSpace::available(folder))) throw ShotError(*issue);

    videoSize_ = videoSizeOf(settings_);
    const quint64 session = nextSessionID();
    const QPointer<ScreenRecordingSegment> self(this);
    const auto current = [self, session] { return self && self->sessionID_ == session && self->capture_; };
    capture_ = services_.open(
        path, scopeOf(settings_), formatOf(settings_, videoSize_),
        [self, current] {
            if (current()) self->captureStarted();
        },
        [self, current](const QString& description) {
            if (current()) self->interrupted(description, false);
        },
        settings_.openSound ? settings_.openSound : openSoundCapture);

    sessionID_ = session;
    path_ = path;
    stopRequested_ = false;
    finalizer_ = std::make_unique<RecordingFinalizer>(
        path,
        [self, session](Result<RecordedVideo> result) {
            if (self && self->sessionID_ == session) self->finalized(std::move(result));
        },
        services_.validate, *services_.scheduler);
    timeout_ = services_.scheduler->after(startLimit, [this] { stop(startTimedOut()); });
}

void ScreenRecordingSegment::stop(const std::optional<QString>& reason) {
    if (!capture_ || stopRequested_) return;
    stopRequested_ = true;
    timeout_.reset();
    if (reason) finalizer_->noteInterruption(*reason);
    const QPointer<ScreenRecordingSegment> self(this);
    notify(onStopping);
    if (!self || !finalizer_) return;
    finalizer_->waitForWriter(saveLimit, saveNotConfirmed());
    endCapture();
}

void ScreenRecordingSegment::endCapture() {
    const QPointer<ScreenRecordingSegment> self(this);
    const quint64 session = sessionID_;
    capture_->finish([self, session](const std::optional<QString>& failure) {
        if (!self || self->sessionID_ != session || !self->capture_) return;
        if (failure) return self->interrupted(*failure, true);
        self->captureFinished();
    });
}

void ScreenRecordingSegment::captureStarted() {
    if (stopRequested_) return;
    timeout_.reset();
    notify(onStarted);
}

void ScreenRecordingSegment::captureFinished() {
    timeout_.reset();
    stopRequested_ = true;
    const QPointer<ScreenRecordingSegment> self(this);
    notify(onStopping);
    if (self && finalizer_) finalizer_->writerFinished();
}

void ScreenRecordingSegment::interrupted(const QString& description, bool ended) {
    timeout_.reset();
    const std::optional<qint64> free = RecordingDiskSpace::available(QFileInfo(path_).absolutePath());
    qCWarning(lcScreenSegment, "Recording interrupted: %s %ld; freeBytes=%lld", qUtf8Printable(description), 0L,
              static_cast<long long>(free.value_or(-1)));
    const QString message = free && *free < RecordingDiskSpace::startReserve ? diskFull() : interruptedBySystem(description);
    finalizer_->noteInterruption(message);

    const QPointer<ScreenRecordingSegment> self(this);
    if (!ended && !stopRequested_) stop(message);
    if (!self || !finalizer_) return;
    stopRequested_ = true;
    notify(onStopping);
    if (!self || !finalizer_) return;
    // A capture that has ended reports nothing more: its file is checked now.
    if (ended) return finalizer_->writerFinished();
    finalizer_->waitForWriter(interruptedSaveLimit, message);
}

void ScreenRecordingSegment::finalized(Result<RecordedVideo> result) {
    timeout_.reset();
    capture_.reset();
    finalizer_.reset();
    notify(onFinished, std::move(result));
}

}  // namespace tavero
