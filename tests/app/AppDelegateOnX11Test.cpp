// The program's hot keys on a real X server, pressed through XTEST: a key
// another program holds is named, Ctrl+Shift+6 takes one full screenshot
// (also with Num Lock on), and the keys are free again once the program ends.
// The editor window comes back at the size it was left at.
#include "document/ShotDocument.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "platform/desktop/X11GlobalHotKeys.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/DelegateHarness.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;

TEST(AppDelegateOnX11Test, HotKeysTakeScreenshotsAndOccupiedOnesAreNamed) {
    X11GlobalHotKeys otherProgram;
    ASSERT_TRUE(otherProgram.grab(1, QLatin1Char('2'), chord));
    SyntheticKeyboard keyboard;

    auto harness = std::make_unique<test::DelegateHarness>();
    harness->source = std::make_shared<X11ScreenSource>();
    harness->realHotKeys = true;
    AppModel& model = harness->model();
    EXPECT_EQ(model.status(), QStringLiteral("这些快捷键被占用：Ctrl+Shift+2。仍可使用菜单截图。"));

    keyboard.chord(chord, QLatin1Char('6'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    EXPECT_EQ(model.document().image().size(), QSize(1920, 1080));
    QTest::qWait(300);
    EXPECT_EQ(model.history().size(), 1) << "one press, one screenshot";

    keyboard.toggle(SyntheticKeyboard::Key::numLock);
    ASSERT_TRUE(keyboard.numLockOn());
    keyboard.chord(chord, QLatin1Char('6'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 2; }, 10'000)) << "Num Lock changes nothing";
    keyboard.toggle(SyntheticKeyboard::Key::numLock);

    X11GlobalHotKeys later;
    EXPECT_FALSE(later.grab(6, QLatin1Char('6'), chord));
    harness.reset();
    EXPECT_TRUE(later.grab(6, QLatin1Char('6'), chord)) << "the program gave its keys back";
    EXPECT_TRUE(later.grab(10, QLatin1Char('P'), chord));
}

TEST(AppDelegateOnX11Test, TheWindowComesBackAtTheSizeItWasLeftAt) {
    test::DelegateHarness harness;
    harness.window().resize(1300, 900);
    harness.window().hide();
    harness.relaunch();
    EXPECT_EQ(harness.window().size(), QSize(1300, 900));
}

}  // namespace
