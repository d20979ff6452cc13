// Runs twice: on a bare Xvfb, where windows are where they were placed, and
// with openbox, whose frames add decorations (--wm).
#include "platform/desktop/SyntheticPointer.h"
#include "platform/desktop/X11PointerSource.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::PictureWindow;

namespace {

class X11PointerSourceTest : public testing::Test {
protected:
    X11PointerSource source;
    SyntheticPointer hand;

    std::optional<QRect> listedFrame(WId id) {
        for (const WindowInfo& info : X11ScreenSource().windows())
            if (info.id == id) return info.frame;
        return std::nullopt;
    }
};

TEST_F(X11PointerSourceTest, ReadsThePositionAndTheFirstThreeButtons) {
    hand.moveTo(QPoint(960, 540));
    hand.sync();
    EXPECT_EQ(source.pointer(), (PointerState{QPoint(960, 540), 0}));

    hand.press(leftButton);
    hand.press(rightButton);
    hand.sync();
    EXPECT_EQ(source.pointer(), (PointerState{QPoint(960, 540), leftButton | rightButton}));
    hand.release(leftButton);
    hand.release(rightButton);
    hand.press(middleButton);
    hand.moveTo(QPoint(0, 1079));
    hand.sync();
    EXPECT_EQ(source.pointer(), (PointerState{QPoint(0, 1079), middleButton}));
    hand.release(middleButton);
    hand.sync();
    EXPECT_EQ(source.pointer()->buttons, 0);
}

TEST_F(X11PointerSourceTest, FollowsAWindowsFrameAsTheWindowListMeasuresIt) {
    auto window = std::make_unique<PictureWindow>(fixtures::noise(300, 200, 5), QRect(100, 120, 300, 200));
    ASSERT_TRUE(window->showAndWait());
    const quint32 id = quint32(window->winId());
    // The window manager frames and moves windows in its own time.
    const auto measuredAlike = [&](const QRect& client) {
        const std::optional<QRect> listed = listedFrame(id);
        return listed && listed->contains(client) && source.windowFrame(id) == listed;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return measuredAlike(QRect(100, 120, 300, 200)); }, 5000));
    window->setGeometry(QRect(400, 300, 360, 240));
    EXPECT_TRUE(QTest::qWaitFor([&] { return measuredAlike(QRect(400, 300, 360, 240)); }, 5000));

    window.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !source.windowFrame(id).has_value(); }, 5000));
    EXPECT_TRUE(source.pointer().has_value()) << "a vanished window leaves the connection usable";
}

}  // namespace
