#pragma once

#include "capture/CaptureCoordinator.h"
#include "library/LocalLibrary.h"
#include "platform/AppBrand.h"
#include "platform/desktop/FakeScreenSource.h"
#include "recording/studio/RecordingStudio.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QSettings>

#include <memory>
#include <thread>
#include <vector>

namespace tavero::test {

// A camera whose readiness the test sets; it counts its starts and stops
// and answers the last start when the test says so.
class FakeWebcamFeed final : public WebcamFeed {
public:
    void start(bool microphone, Completion completion) override {
        starts.push_back(microphone);
        pending = std::move(completion);
    }
    void stop() override { ++stops; }
    bool ready() const override { return isReady; }
    bool preparing() const override { return isPreparing; }
    QString message() const override { return statusText; }

    void becomeReady(bool ready) {
        isReady = ready;
        emit changed();
    }
    void answer(bool ready) {
        becomeReady(ready);
        if (const Completion completion = std::exchange(pending, {})) completion(ready);
    }

    bool isReady = false;
    bool isPreparing = false;
    QString statusText;
    Completion pending;
    std::vector<bool> starts;
    int stops = 0;
};

// Notes what the studio asks of the floating camera picture and reports the
// user's drags when the test says so.
class FakePortraitOverlay final : public PortraitOverlay {
public:
    void show(WebcamFeed&, const QRectF&, const PortraitLayout&, const std::optional<CameraFraming>&) override {}
    void update(const QRectF&, const PortraitLayout& layout) override { updates.push_back(layout); }
    void close() override {}

    void userMoved(const PortraitLayout& layout) { reportChange(layout); }

    std::vector<PortraitLayout> updates;
};

// Notes every call of the studio into the recording windows.
class FakeRecordingOverlay final : public RecordingOverlay {
public:
    explicit FakeRecordingOverlay(std::vector<QString>& calls) : calls_(calls) {}
    void show(const QRectF&) override { note("show"); }
    void updateBorder(const QRectF&) override { note("border"); }
    void updateRecordingState() override { note("state"); }
    void showNotes() override { note("showNotes"); }
    void hideNotes() override { note("hideNotes"); }
    void close() override { note("close"); }

private:
    void note(const char* call) { calls_.push_back(QString::fromLatin1(call)); }
    std::vector<QString>& calls_;
};

// Notes what the studio asks of the recorder; the test sends its reports.
class FakeTakeRecorder final : public TakeRecorder {
public:
    double elapsed() const override { return seconds; }
    QSize videoSize() const override { return {1920, 1080}; }
    void start(const RecordingCaptureSettings& settings, const QString& url) override {
        screen = settings;
        destination = url;
    }
    void startWithCamera(const CameraTake& take, const QString& url) override {
        camera = take;
        destination = url;
    }
    void pause() override {}
    void resume() override {}
    void stop(const std::optional<QString>& reason) override { stops.push_back(reason); }

    void started() const { reportStarted(); }
    void pauseDone() const { reportPaused(); }
    void stopping() const { reportStopping(); }
    void finished(Result<RecordedVideo> result) const { reportFinished(std::move(result)); }

    double seconds = 0;
    std::optional<QString> destination;
    std::optional<RecordingCaptureSettings> screen;
    std::optional<CameraTake> camera;
    std::vector<std::optional<QString>> stops;
};

// The microphone permission as the system keeps it: undetermined until the
// prompt is answered, on a thread of the system's, then granted or denied.
class FakeMicrophonePermission final : public MicrophonePermission {
public:
    MicrophoneAuthorization status() const override { return state; }
    void request(Answer answer) override {
        ++prompts;
        pending = std::move(answer);
    }
    void answer(bool granted) {
        state = granted ? MicrophoneAuthorization::authorized : MicrophoneAuthorization::denied;
        std::thread([answer = std::exchange(pending, {}), granted] { answer(granted); }).join();
    }

    MicrophoneAuthorization state = MicrophoneAuthorization::authorized;
    Answer pending;
    int prompts = 0;
};

// Renders nothing: notes each render asked for and counts the cancels; the
// test reports progress and the end through the last render's handlers.
class FakeSmartVideoExporter final : public SmartVideoExporter {
public:
    struct Render {
        QString source;
        QString destination;
        RecordingProject project;
    };

    void exportVideo(const QString& source, const QString& destination, const RecordingProject& project,
                     Progress progress, Completion completion) override {
        renders.push_back({source, destination, project});
        onProgress = std::move(progress);
        onCompletion = std::move(completion);
    }
    void cancel() override { ++cancels; }

    void progressed(double fraction) const { onProgress(fraction); }
    void finished(Outcome outcome) { std::exchange(onCompletion, {})(std::move(outcome)); }

    std::vector<Render> renders;
    Progress onProgress;
    Completion onCompletion;
    int cancels = 0;
};

// The application model as the studio sees it: a capture coordinator over a
// screen with a scripted area picker, a library in the given folder, and
// what the studio last told the model.
class StudioModel final : public QObject, public RecordingHost {
public:
    StudioModel(std::shared_ptr<ScreenSource> screen, const QString& libraryFolder)
        : coordinator(std::move(screen), CaptureHarness::quickTiming()), localLibrary(libraryFolder) {
        coordinator.setSelectionPresenter(&picker);
    }

    QObject* hostObject() override { return this; }
    CaptureCoordinator& capture() override { return coordinator; }
    LocalLibrary& library() override { return localLibrary; }
    void setRecording(bool on) override { recording = on; }
    void setRecordingStarting(bool on) override { recordingStarting = on; }
    void setRecordingDate(std::optional<QDateTime>) override {}
    void setStatus(const QString& text) override { status = text; }
    void setError(std::optional<QString> text) override { error = text; }
    const std::optional<QString>& videoURL() const override { return shownVideo; }
    void setVideoURL(std::optional<QString> video) override { shownVideo = video; }
    void fail(const ShotError& error) override { failure = error; }
    void saved(const Result<CaptureRecord>& record) override {
        ++savedCount;
        if (record) status = QStringLiteral("已保存：") + record.value().name;
    }
    void showWindow() override { ++windowShown; }
    void hideEditor() override { ++editorHidden; }
    void updateMenu() override { ++menuUpdated; }

    CaptureCoordinator coordinator;
    LocalLibrary localLibrary;
    ScriptedOverlay picker;
    std::optional<bool> recording;
    bool recordingStarting = false;
    QString status;
    std::optional<QString> error;
    std::optional<QString> shownVideo;
    std::optional<ShotError> failure;
    int savedCount = 0;
    int windowShown = 0;
    int editorHidden = 0;
    int menuUpdated = 0;
};

// A studio whose phase, render flag and microphone prompt the test sets, and
// which counts the renders it is asked for; it renders them too when told.
class TestStudio final : public RecordingStudio {
public:
    using RecordingStudio::RecordingStudio;
    using RecordingStudio::setPhase;
    using RecordingStudio::setProcessing;
    using RecordingStudio::setRequestingMicrophone;

    void render() override {
        ++renders;
        if (rendersForReal) RecordingStudio::render();
    }
    int renders = 0;
    bool rendersForReal = false;
};

// Points the user defaults at `home` and empties them; Qt reads
// XDG_CONFIG_HOME only once per process.
struct FreshSettings {
    explicit FreshSettings(const TempHome& home) {
        QCoreApplication::setOrganizationName(AppBrand::englishName);
        QCoreApplication::setApplicationName(AppBrand::englishName);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + QStringLiteral("/.config"));
        QSettings().clear();
    }
};

// The sound server as the studio sees it: what it offers, how often it was
// asked, and streams opened and still running.
struct FakeSoundServer {
    struct Stream final : SoundCapture {
        explicit Stream(int& running) : running(running) { ++running; }
        ~Stream() override { --running; }
        int& running;
    };
    SoundSources offered{true, QStringLiteral("内置麦克风")};
    int asked = 0;
    int opened = 0;
    int running = 0;
    QList<SoundInput> inputs;

    std::function<SoundSources()> finder() {
        return [this] {
            ++asked;
            return offered;
        };
    }

    media::SoundRecorder::Open opener() {
        return [this](const QList<SoundInput>& asked, SoundCapture::ChunkHandler, SoundCapture::FailureHandler) {
            ++opened;
            inputs = asked;
            return std::make_unique<Stream>(running);
        };
    }
};

// A studio over fake parts in a fresh home with empty settings, made on the
// first call of studio() so a test may store settings first; the parts stay
// reachable through the raw pointers.
class StudioHarness {
public:
    ~StudioHarness() { screen->release(); }

    TestStudio& studio() {
        if (!studio_) studio_ = make();
        return *studio_;
    }

    std::unique_ptr<TestStudio> make() {
        StudioParts parts;
        auto feed = std::make_unique<FakeWebcamFeed>();
        webcam = feed.get();
        parts.webcam = std::move(feed);
        auto portraitOverlay = std::make_unique<FakePortraitOverlay>();
        portrait = portraitOverlay.get();
        parts.portraitOverlay = std::move(portraitOverlay);
        parts.makeOverlay = [this](RecordingStudio&) { return std::make_unique<FakeRecordingOverlay>(overlayCalls); };
        auto takeRecorder = std::make_unique<FakeTakeRecorder>();
        recorder = takeRecorder.get();
        parts.recorder = std::move(takeRecorder);
        auto smartExporter = std::make_unique<FakeSmartVideoExporter>();
        exporter = smartExporter.get();
        parts.exporter = std::move(smartExporter);
        auto pointer = std::make_unique<CursorRecorder>(nullptr);
        tracker = pointer.get();
        parts.tracker = std::move(pointer);
        auto permission = std::make_unique<FakeMicrophonePermission>();
        microphone = permission.get();
        parts.microphone = std::move(permission);
        parts.playSound = [this](const QString& name) { sounds.append(name); };
        parts.openSound = sound.opener();
        parts.findSound = sound.finder();
        parts.scheduler = &clock;
        return std::make_unique<TestStudio>(model, std::move(parts));
    }

    TempHome home;
    FreshSettings settings{home};
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    StudioModel model{screen, home.desktop() + QStringLiteral("/岚帧")};
    FakeWebcamFeed* webcam = nullptr;
    FakePortraitOverlay* portrait = nullptr;
    FakeTakeRecorder* recorder = nullptr;
    FakeSmartVideoExporter* exporter = nullptr;
    CursorRecorder* tracker = nullptr;
    FakeMicrophonePermission* microphone = nullptr;
    ManualScheduler clock;
    FakeSoundServer sound;
    std::vector<QString> overlayCalls;
    QStringList sounds;

private:
    std::unique_ptr<TestStudio> studio_;
};

}  // namespace tavero::test
