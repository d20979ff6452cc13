#include "app/model/AppModel.h"

#include "app/model/FileMessages.h"
#include "app/model/ModelMessages.h"
#include "camera/LiveWebcamFeed.h"
#include "camera/SmartVideoRenderer.h"
#include "camera/WebcamRecordingSegment.h"
#include "platform/desktop/PlatformChoice.h"
#include "document/ShotDocument.h"
#include "library/LibraryMessages.h"
#include "platform/SettingsValues.h"
#include "platform/files/FileNames.h"
#include "recording/ScreenRecorder.h"
#include "recording/studio/RecordingStudio.h"
#include "recording/studio/SessionTakeRecorder.h"
#include "recording/studio/StudioMessages.h"

#include <QPointer>
#include <QSettings>

#include <utility>

namespace tavero {

namespace {

const QString autoSaveKey = QStringLiteral("autoSave");

}  // namespace

AppModel::AppModel(AppModelSetup setup, QObject* parent)
    : QObject(parent),
      document_(std::make_unique<ShotDocument>()),
      capture_(std::make_unique<CaptureCoordinator>(setup.screen, setup.captureTiming)),
      library_(std::make_unique<LocalLibrary>()),
      recorder_(setup.recorder ? std::move(setup.recorder) : std::make_unique<ScreenRecorder>()),
      scrollSession_(std::make_unique<ScrollingCapture>(setup.screen, setup.scrollTiming)),
      pointer_(std::move(setup.pointer)),
      playSound_(std::move(setup.playSound)),
      makeStudio_(std::move(setup.makeStudio)),
      makeRecordingOverlay_(std::move(setup.makeRecordingOverlay)),
      makePortraitOverlay_(std::move(setup.makePortraitOverlay)),
      videoExports_(std::move(setup.videoExports)),
      countdownTick_(setup.countdownTick),
      status_(ModelMessages::ready()) {
    hasPermission_ = capture_->hasPermission();
    const QSettings settings;
    autoSave_ = SettingsValues::readBool(settings, autoSaveKey).value_or(true);
    library_->onManifestKeptAside([self = QPointer<AppModel>(this)](const QString& keptAs) {
        if (self) self->manifestKeptAside(keptAs);
    });
    refreshHistory();
    connect(scrollSession_.get(), &ScrollingCapture::changed, this, &AppModel::scrollingChanged);
    connect(scrollSession_.get(), &ScrollingCapture::completed, this, &AppModel::scrollingCompleted);
    // An edit that stops at a bound of the marks says so where actions report.
    connect(document_.get(), &ShotDocument::limitReached, this,
            [this](EditLimit limit) { setStatus(sentence(limit)); });
    observeOpenRequests();
}

// The timer and the studio go before the parts they call back into.
AppModel::~AppModel() = default;

RecordingStudio& AppModel::studio() {
    if (!studio_) studio_ = makeStudio_ ? makeStudio_(*this) : std::make_unique<RecordingStudio>(*this, studioParts());
    return *studio_;
}

namespace {

// The webcam: the first V4L2 camera, or the synthetic one when the fakes
// are chosen (TAVERO_PLATFORM=fake).
std::unique_ptr<WebcamFeed> makeWebcamFeed() {
    WebcamDevices devices;
    if (fakePlatformChosen())
        devices.openCamera = [](CameraCapture::Picture picture, CameraCapture::Failed failed) {
            return openSyntheticCamera(QSize(1280, 720), 30, std::move(picture), std::move(failed));
        };
    return std::make_unique<LiveWebcamFeed>(std::move(devices));
}

}  // namespace

// The parts of the studio: the webcam, the pointer recorder, the screen
// recorder with its screen and camera writers, the sounds, the recording
// windows and the renderer of finished videos.
StudioParts AppModel::studioParts() const {
    StudioParts parts;
    parts.webcam = makeWebcamFeed();
    parts.tracker = std::make_unique<CursorRecorder>(pointer_);
    ScreenRecorder& recorder = *recorder_;
    parts.recorder = std::make_unique<SessionTakeRecorder>(
        recorder,
        [&recorder](const RecordingCaptureSettings& s, const QString& url) {
            recorder.start(s.content, s.display, s.region, s.window, url, s.systemAudio, s.microphone, s.cursor,
                           s.openSound);
        },
        [&recorder](const CameraTake& take, const QString& url) {
            if (!take.feed) throw ShotError(WebcamRecordingSegment::noPicture());
            recorder.startWithCamera(WebcamRecordingSegment::parts(*take.feed, take.screen, take.effects,
                                                                   take.microphone, take.framing),
                                     url);
        });
    parts.playSound = playSound_;
    parts.openSound = openSoundCapture;
    parts.findSound = findSoundSources;
    parts.makeOverlay = makeRecordingOverlay_;
    if (makePortraitOverlay_) parts.portraitOverlay = makePortraitOverlay_();
    parts.exporter = std::make_unique<SmartVideoRenderer>();
    return parts;
}

void AppModel::setApplicationWindows(ApplicationWindows* windows) {
    windows_ = windows;
    capture_->setApplicationWindows(windows);
}

void AppModel::invoke(const Callback& callback) {
    if (callback) callback();
}

void AppModel::refreshHistory() {
    QPointer<AppModel> self(this);
    library_->load([self](QList<CaptureRecord> records, std::optional<ShotError> error) {
        if (self) self->historyLoaded(std::move(records), error);
    });
}

void AppModel::historyLoaded(QList<CaptureRecord> records, const std::optional<ShotError>& error) {
    setHistory(std::move(records));
    if (error) setStatus(library::messages::loadFailed(error->message()));
}

void AppModel::refreshPermission() { setHasPermission(capture_->hasPermission()); }

void AppModel::goHome() {
    invoke(resignFirstResponder_);
    document_->endTextInput(false);
    changeFlow([](WorkspaceFlow& flow) { flow.goHome(); });
}

void AppModel::resumeWorkspace() {
    changeFlow([](WorkspaceFlow& flow) { flow.resume(); });
}

void AppModel::fail(const ShotError& error) {
    setError(error.message());
    setStatus(error.message());
    setBusy(false);
    invoke(showWindow_);
}

void AppModel::manifestKeptAside(const QString& keptAs) {
    keptAsideNote_ = ModelMessages::manifestKeptAside(keptAs);
    setStatus(keptAsideNote_);
}

void AppModel::saved(const Result<CaptureRecord>& result) {
    if (result) {
        const CaptureRecord& record = result.value();
        QList<CaptureRecord> history = history_;
        history.removeIf([&](const CaptureRecord& entry) { return entry.id == record.id; });
        history.prepend(record);
        setHistory(std::move(history));
        setStatus(ModelMessages::saved(record.name));
    } else {
        fail(result.error());
    }
    if (!keptAsideNote_.isEmpty()) setStatus(status_ + QLatin1Char(' ') + std::exchange(keptAsideNote_, QString()));
}

LocalLibrary::RecordDone AppModel::whenSaved() {
    QPointer<AppModel> self(this);
    return [self](Result<CaptureRecord> result) {
        if (self) self->saved(result);
    };
}

void AppModel::changeFlow(const std::function<void(WorkspaceFlow&)>& change) {
    WorkspaceFlow flow = flow_;
    change(flow);
    setFlow(flow);
}

void AppModel::setAutoSave(bool autoSave) {
    if (autoSave != autoSave_) {
        autoSave_ = autoSave;
        emit autoSaveChanged();
    }
    QSettings().setValue(autoSaveKey, autoSave_);
}

void AppModel::setIncludeCursor(bool include) {
    if (include != includeCursor_) {
        includeCursor_ = include;
        emit includeCursorChanged();
    }
    capture_->setIncludeCursor(includeCursor_);
}

void AppModel::setVideoURL(std::optional<QString> video) {
    if (video != videoURL_) {
        videoURL_ = std::move(video);
        takeBackVideoNote();
        emit videoURLChanged();
    }
    if (videoURL_) changeFlow([](WorkspaceFlow& flow) { flow.openContent(false); });
}

// What was said of the video shown before gives way: its alert closes, and
// the status line, unless it has said something since, names the video
// shown now, or is ready when none is.
void AppModel::takeBackVideoNote() {
    const std::optional<QString> note = std::exchange(videoNote_, std::nullopt);
    if (!note) return;
    if (error_ == note) setError(std::nullopt);
    if (status_ == *note) setStatus(restingStatus());
}

QString AppModel::restingStatus() const {
    return videoURL_ ? FileMessages::opened(fileNameOf(*videoURL_)) : ModelMessages::ready();
}

}  // namespace tavero
