// The recording set-up's still preview on a real X server: another program's
// window fills the display under the editor and the set-up sheet, and the
// preview of the display, of an area under the sheet and of that window
// shows the other program's pixels, never ours.
#include "platform/desktop/X11ScreenSource.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingSetupView.h"
#include "tests/app/DelegateHarness.h"
#include "tests/support/TestWindows.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QRect screenRect(0, 0, 1920, 1080);
// Long enough for a machine whose every core is busy; the waits end as soon
// as what they wait for happens.
constexpr int waitMs = 60'000;

class SetupPreviewOnX11Test : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(page.start());
        const auto grabScreen = [&] { return screen->grabArea(screenRect, false); };
        ASSERT_TRUE(test::samePixels(test::grabUntil(grabScreen, page.picture()), page.picture()));
        harness.source = screen;
        harness.model().toggleRecording(false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return studio().setupVisible() && !studio().loadingTargets(); }, waitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return (sheet = openSheet()) != nullptr; }, waitMs));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet->window(), waitMs));
        sheetPlace = sheet->window()->frameGeometry();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !test::samePixels(grabScreen().copy(sheetPlace), pagePart(sheetPlace)); },
                                    waitMs))
            << "the sheet stands over the other program's window";
    }

    RecordingStudio& studio() { return harness.model().studio(); }
    QImage pagePart(const QRect& rect) const { return page.picture().copy(rect); }

    static RecordingSetupView* openSheet() {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* view = window->findChild<RecordingSetupView*>(); view && view->isVisible()) return view;
        return nullptr;
    }

    // The preview of the newest target, once it has been read.
    std::optional<QImage> loadedPreview() {
        (void)QTest::qWaitFor([&] { return !sheet->previewLoading() && sheet->preview(); }, waitMs);
        return sheet->preview();
    }

    std::shared_ptr<X11ScreenSource> screen = std::make_shared<X11ScreenSource>();
    test::ForeignWindow page{screenRect, 41};
    test::DelegateHarness harness;
    RecordingSetupView* sheet = nullptr;
    QRect sheetPlace;
};

TEST_F(SetupPreviewOnX11Test, ThePreviewOfADisplayAnAreaOrAWindowLeavesOurWindowsOut) {
    studio().setScope(RecordingScope::display);
    std::optional<QImage> preview = loadedPreview();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(test::samePixels(*preview, page.picture())) << "the display, without the editor and the sheet";

    // An area under the sheet's top-left part, its red record icon included.
    const QRect area = QRect(sheetPlace.topLeft(), QSize(400, 300)) & screenRect;
    studio().setScope(RecordingScope::area);
    studio().setRegion(CaptureRegion{studio().displayID(), QRectF(area)});
    preview = loadedPreview();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(test::samePixels(*preview, pagePart(area))) << "the area under the sheet";

    std::optional<WindowInfo> pageWindow;
    for (const WindowInfo& window : studio().windows())
        if (window.processID == page.processID()) pageWindow = window;
    ASSERT_TRUE(pageWindow) << "the other program's window is offered";
    studio().setScope(RecordingScope::window);
    studio().setWindowID(pageWindow->id);
    preview = loadedPreview();
    ASSERT_TRUE(preview);
    // A window manager's frame around it reaches beyond the screen.
    const QRect client(screenRect.topLeft() - pageWindow->frame.topLeft(), screenRect.size());
    EXPECT_EQ(preview->size(), pageWindow->frame.size());
    EXPECT_TRUE(test::samePixels(preview->copy(client), page.picture())) << "the window, not what covers it";
}

}  // namespace
