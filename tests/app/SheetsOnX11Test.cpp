// The program's sheets and alerts on a real X server, run without and with
// a window manager: each stands above the editor window, takes the keyboard
// (a real Escape closes it) and has no title bar for minimise or maximise
// buttons, also when the editor is brought forward after it opened; once it
// closes, the editor has the keyboard again.
#include "app/EditorWindow.h"
#include "document/ShotDocument.h"
#include "editor_ui/MainView.h"
#include "editor_ui/MainViewState.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/DelegateHarness.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class SheetsOnX11Test : public testing::Test {
protected:
    void SetUp() override {
        harness.window().bringForward();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.window()));
    }

    MainViewState& viewState() { return static_cast<MainView*>(harness.window().centralWidget())->state(); }

    static QDialog* openDialog() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) return dialog;
        return nullptr;
    }

    qsizetype stackPosition(WId window) {
        const QList<WindowInfo> windows = screen.windows();
        for (qsizetype index = 0; index < windows.size(); ++index)
            if (windows[index].id == window) return index;
        return -1;
    }

    // Its extent on screen, window-manager decorations included.
    std::optional<QRect> frameOnScreen(WId window) {
        for (const WindowInfo& info : screen.windows())
            if (info.id == window) return info.frame;
        return std::nullopt;
    }

    // In front of the editor in the server's stacking order, with the keyboard.
    bool inFrontWithKeyboard(QDialog* dialog) {
        return QTest::qWaitFor(
            [&] {
                const qsizetype position = stackPosition(dialog->winId());
                return position >= 0 && position < stackPosition(harness.window().winId()) && dialog->isActiveWindow();
            },
            5000);
    }

    // Checks the open dialog, then closes it with a real Escape.
    void expectSheetBehaviour(const char* which) {
        SCOPED_TRACE(which);
        QDialog* dialog = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (dialog = openDialog()) != nullptr; }, 5000));
        EXPECT_TRUE(inFrontWithKeyboard(dialog));
        // A window manager puts its buttons on a title bar it adds around the window.
        EXPECT_EQ(frameOnScreen(dialog->winId()), dialog->geometry()) << "no title bar, so no buttons";
        const QPointer<QDialog> closing(dialog);
        keyboard.press(SyntheticKeyboard::Key::escape);
        keyboard.release(SyntheticKeyboard::Key::escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !closing || !closing->isVisible(); }, 5000)) << "Escape reached it";
        ASSERT_TRUE(QTest::qWaitFor([] { return openDialog() == nullptr; }, 5000));
        EXPECT_TRUE(QTest::qWaitForWindowActive(&harness.window())) << "the keyboard is back with the editor";
    }

    test::DelegateHarness harness;
    X11ScreenSource screen;
    SyntheticKeyboard keyboard;
};

TEST_F(SheetsOnX11Test, EverySheetAndAlertStandsAboveTheEditorAndTakesTheKeyboard) {
    viewState().setSettings(true);
    expectSheetBehaviour("settings sheet");
    // The alert opens first and the editor is brought forward after it.
    harness.model().fail(ShotError(QStringLiteral("图片编码失败。")));
    expectSheetBehaviour("error alert");
    harness.delegate().perform(ShellCommand::about);
    expectSheetBehaviour("about panel");
    harness.delegate().perform(ShellCommand::openFile);
    expectSheetBehaviour("open panel");
}

TEST_F(SheetsOnX11Test, ASheetStaysInFrontWhenACaptureHidesAndShowsTheWindows) {
    viewState().setSettings(true);
    QDialog* sheet = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (sheet = openDialog()) != nullptr; }, 5000));
    harness.delegate().perform(ShellCommand::full);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model().document().image().isNull(); }, 10'000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.window().isVisible() && sheet->isVisible(); }, 5000));
    EXPECT_TRUE(inFrontWithKeyboard(sheet));
}

}  // namespace
