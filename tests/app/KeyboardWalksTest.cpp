// The program's own windows as a keyboard user meets them, with the
// recording interface the program shows: a walk with Tab through each one
// reaches every control in reading order, each showing the focus mark and
// named for screen readers. The video workspace comes before the status bar;
// the set-up sheet's window list says so when there is no window to record;
// a pinned picture's transparency is named by its caption.
#include "app/PinWindow.h"
#include "camera/RecordingProject.h"
#include "editor_ui/SegmentedPicker.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingSetupView.h"
#include "recording_ui/workspace/EffectsPopover.h"
#include "recording_ui/workspace/VideoWorkspace.h"
#include "tests/app/DelegateHarness.h"
#include "tests/editor_ui/FocusMarks.h"
#include "tests/support/MediaFixtures.h"

#include <QComboBox>
#include <QPushButton>
#include <QDir>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class KeyboardWalksTest : public testing::Test {
protected:
    static bool becomesActive(QWidget* window) {
        if (!window) return false;
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    template <class Widget>
    static Widget* shown() {
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* found = qobject_cast<Widget*>(widget); found && found->isVisible()) return found;
        return nullptr;
    }

    // A raw take in the library with its project beside it, opened.
    VideoWorkspace* openTake() {
        const QString library = harness.home.desktop() + QStringLiteral("/岚帧");
        if (!QDir().mkpath(library)) return nullptr;
        const QString raw = library + QStringLiteral("/录屏.mp4");
        test::makeVideo(raw, {.duration = 1.0, .size = QSize(160, 120)});
        RecordingProject project;
        project.sourceFile = QStringLiteral("录屏.mp4");
        project.targetName = QStringLiteral("全屏 · 160 × 120");
        project.duration = 1.0;
        project.samples = {{0.2, 0.5, 0.5, true, false}};
        project.save(raw);
        harness.model().open(raw);
        VideoWorkspace* workspace = nullptr;
        (void)QTest::qWaitFor(
            [&] {
                workspace = shown<VideoWorkspace>();
                return workspace && workspace->effectsButton()->isVisible();
            },
            20'000);
        return workspace;
    }

    test::DelegateHarness harness;
};

TEST_F(KeyboardWalksTest, TheVideoWorkspaceBeforeTheStatusBarAndItsEffectsPopover) {
    VideoWorkspace* workspace = openTake();
    ASSERT_NE(workspace, nullptr);
    ASSERT_TRUE(becomesActive(&harness.window()));
    test::expectEveryStopShownNamedAndInOrder(harness.window(), 14);

    workspace->effectsButton()->click();
    EffectsPopover* popover = workspace->effectsPopover();
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(popover));
    test::expectEveryStopShownNamedAndInOrder(*popover, 6);
    popover->close();
}

TEST_F(KeyboardWalksTest, TheRecordingSetUpWithNoWindowToRecord) {
    harness.model().toggleRecording(false);
    RecordingSetupView* setup = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (setup = shown<RecordingSetupView>()) != nullptr; }, 10'000));
    RecordingStudio& studio = harness.model().studio();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio.loadingTargets(); }, 10'000));
    setup->scopePicker()->segment(0)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return setup->windowPicker()->isVisible(); }, 10'000)) << "the window's row";
    ASSERT_TRUE(becomesActive(setup->window()));
    test::expectEveryStopShownNamedAndInOrder(*setup->window(), 14);

    // Its name and description for screen readers: ScreenReaderOnX11Test.
    EXPECT_EQ(setup->windowPicker()->count(), 0);
    EXPECT_EQ(setup->windowPicker()->placeholderText(), QStringLiteral("没有可录制的窗口")) << "shown in the empty list";
}

TEST_F(KeyboardWalksTest, APinnedPicture) {
    harness.model().demo();
    harness.model().pin();
    PinWindow* pin = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (pin = shown<PinWindow>()) != nullptr; }, 10'000));
    ASSERT_TRUE(becomesActive(pin));
    test::expectEveryStopShownNamedAndInOrder(*pin, 2);
}

}  // namespace
