#pragma once

#include "app/AppDelegate.h"
#include "app/EditorWindow.h"
#include "platform/AppBrand.h"
#include "platform/desktop/FakeGlobalHotKeys.h"
#include "platform/desktop/FakeScreenSource.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "recording/studio/RecordingStudio.h"
#include "recording/ScreenRecorder.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>

#include <memory>

namespace tavero::test {

// An application delegate in a temporary home, over a fake screen and fake
// hot keys, with the scripted overlay in place of the real one once launched.
class DelegateHarness {
public:
    DelegateHarness() {
        QCoreApplication::setOrganizationName(AppBrand::englishName);
        QCoreApplication::setApplicationName(AppBrand::englishName);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + QStringLiteral("/.config"));
        screen->setDesktop(fixtures::noise(1920, 1080, 3));
        screen->setPointer(QPoint(500, 500));
    }
    ~DelegateHarness() {
        delegate_.reset();
        screen->release();
    }

    // Made and launched on the first call, so a test may occupy keys before.
    AppDelegate& delegate() {
        if (!delegate_) launch({});
        return *delegate_;
    }
    AppModel& model() { return delegate().model(); }
    EditorWindow& window() { return *delegate().window(); }

    void launch(const QStringList& switches) {
        AppDelegateSetup setup;
        setup.model.screen = source;
        setup.model.captureTiming = CaptureHarness::quickTiming();
        setup.model.countdownTick = std::chrono::milliseconds(10);
        setup.model.makeStudio = makeStudio;
        setup.model.pointer = pointer;
        setup.model.playSound = playSound;
        setup.model.makeRecordingOverlay = makeRecordingOverlay;
        setup.model.makePortraitOverlay = makePortraitOverlay;
        if (realHotKeys) {
            setup.hotKeys = makeGlobalHotKeys();
        } else {
            auto keys = std::make_unique<FakeGlobalHotKeys>();
            hotKeys = keys.get();
            for (QChar key : occupied) keys->occupy(key);
            setup.hotKeys = std::move(keys);
        }
        delegate_ = std::make_unique<AppDelegate>(std::move(setup));
        delegate_->launch(switches);
        delegate_->model().capture().setSelectionPresenter(&overlay);
    }

    // Ends the delegate and launches a new one in the same home.
    void relaunch() {
        delegate_.reset();
        launch({});
    }

    TempHome home;
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    // The screen the model captures: the fake one unless a test sets another.
    std::shared_ptr<ScreenSource> source = screen;
    // The display's key grabs instead of the fake ones.
    bool realHotKeys = false;
    std::function<std::unique_ptr<RecordingStudio>(RecordingHost&)> makeStudio;
    // Where a real studio reads the pointer, and how it plays its sounds; none by default.
    std::shared_ptr<PointerSource> pointer;
    std::function<void(const QString& name)> playSound;
    std::function<std::unique_ptr<RecordingOverlay>(RecordingStudio&)> makeRecordingOverlay;
    // The studio's floating camera picture; none unless a test sets one.
    std::function<std::unique_ptr<PortraitOverlay>()> makePortraitOverlay;
    ScriptedOverlay overlay;
    QList<QChar> occupied;
    // Owned by the delegate; none with the display's grabs.
    FakeGlobalHotKeys* hotKeys = nullptr;

private:
    std::unique_ptr<AppDelegate> delegate_;
};

}  // namespace tavero::test
