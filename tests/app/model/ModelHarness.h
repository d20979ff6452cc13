#pragma once

#include "app/model/AppModel.h"
#include "capture/ScrollControls.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "library/CaptureRecord.h"
#include "platform/AppBrand.h"
#include "platform/desktop/FakeScreenSource.h"
#include "recording/studio/RecordingStudio.h"
#include "recording/ScreenRecorder.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/capture/ScriptedFrames.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavero::test {

// Places a new label at `at` and types `text`, leaving the label in editing.
inline void typeLabel(ShotDocument& document, QPointF at, const QString& text) {
    document.newText();
    document.placeText(at);
    document.beginTextInput();
    document.changeText(text);
}

// A recording session that claims to run, for the screenshot guard.
class RunningRecorder final : public ScreenRecorder {
public:
    bool isActive() const override { return true; }
};

// Counts the scrolling bar's windows and how often they were brought forward.
class CountingScrollControls final : public ScrollControlsPresenter {
public:
    struct Windows final : ScrollControls {
        explicit Windows(CountingScrollControls& owner) : owner(owner) {}
        void present() override { ++owner.presented; }
        CountingScrollControls& owner;
    };

    std::unique_ptr<ScrollControls> open(ScrollingCapture&, const DisplayInfo&, const QRectF&) override {
        ++opened;
        return std::make_unique<Windows>(*this);
    }

    int opened = 0;
    int presented = 0;
};

// An application model in a temporary home (its Desktop, its settings),
// over a fake screen with the scripted overlay in place of the real one
// unless the test installs others, and with the widget effects counted.
class ModelHarness {
public:
    ModelHarness() {
        QCoreApplication::setOrganizationName(AppBrand::englishName);
        QCoreApplication::setApplicationName(AppBrand::englishName);
        // Qt reads XDG_CONFIG_HOME only once per process.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + QStringLiteral("/.config"));
        screen->setDesktop(desktop);
        screen->setPointer(QPoint(500, 500));
    }
    ~ModelHarness() { screen->release(); }

    // Made on the first call, so a test may prepare the settings before.
    AppModel& model() {
        if (!model_) make();
        return *model_;
    }

    void make(std::unique_ptr<ScreenRecorder> recorder = nullptr,
              std::chrono::milliseconds countdownTick = std::chrono::milliseconds(10)) {
        AppModelSetup setup;
        setup.screen = source;
        setup.captureTiming = captureTiming;
        setup.countdownTick = countdownTick;
        setup.recorder = std::move(recorder);
        setup.makeStudio = makeStudio;
        setup.videoExports = videoExports;
        model_ = std::make_unique<AppModel>(std::move(setup));
        model_->capture().setSelectionPresenter(&overlay);
        model_->scrollSession().setStreamFactory(frames.factory());
        model_->scrollSession().setControlsPresenter(&scrollControls);
        model_->setApplicationWindows(&windows);
        model_->setShowWindow([this] { ++windowShown; });
        model_->setHideEditor([this] { ++editorHidden; });
        model_->setUpdateMenu([this] { menuCountdowns.push_back(model_->countdown()); });
        model_->setResignFirstResponder([this] { ++firstResponderResigned; });
    }

    bool waitForStatus(const QString& status) {
        return QTest::qWaitFor([&] { return model().status() == status; }, 10'000);
    }
    bool waitUntilIdle() {
        return QTest::qWaitFor([&] { return !model().busy(); }, 10'000);
    }

    QString libraryFile(const QString& name) const { return library() + QLatin1Char('/') + name; }
    QString library() const { return home.desktop() + QStringLiteral("/岚帧"); }
    QList<CaptureRecord> manifestOnDisk() const {
        QFile file(libraryFile(QStringLiteral("index.json")));
        return file.open(QIODevice::ReadOnly) ? decodeManifest(file.readAll()) : QList<CaptureRecord>();
    }

    TempHome home;
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    // What the model captures: the fake screen unless a test sets another.
    std::shared_ptr<ScreenSource> source = screen;
    CaptureTiming captureTiming = CaptureHarness::quickTiming();
    QImage desktop = fixtures::noise(1920, 1080, 7);
    // Stand-ins for the studio and the video exports, when a test sets them.
    std::function<std::unique_ptr<RecordingStudio>(RecordingHost&)> makeStudio;
    VideoExports videoExports;
    ScriptedOverlay overlay;
    ScriptedFrames frames;
    CountingScrollControls scrollControls;
    CountingWindows windows;
    int windowShown = 0;
    int editorHidden = 0;
    int firstResponderResigned = 0;
    // The countdown each time the menu was refreshed.
    std::vector<int> menuCountdowns;

private:
    std::unique_ptr<AppModel> model_;
};

}  // namespace tavero::test
