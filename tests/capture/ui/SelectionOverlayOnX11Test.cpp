// The real overlay on Xvfb with openbox, driven by real input (XTest through
// xdotool): it must take the keyboard and the pointer over every window.
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "capture/ui/SelectionOverlay.h"
#include "capture/ui/SelectionWindow.h"
#include "platform/X11ScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/TestWindows.h"

#include <QApplication>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::samePixels;

namespace {

const QRect place(400, 300, 320, 240);

class SelectionOverlayOnX11Test : public testing::Test {
protected:
    std::shared_ptr<X11ScreenSource> screen = std::make_shared<X11ScreenSource>();
    test::ForeignWindow window{place, 31};
    SelectionOverlay overlay;

    void SetUp() override {
        ASSERT_TRUE(window.start());
        ASSERT_TRUE(samePixels(test::grabUntil([&] { return screen->grabArea(place, false); }, window.picture()),
                               window.picture()));
    }

    static bool xdotool(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 5000) &&
               process.exitCode() == 0;
    }

    static bool overlayIsActive() {
        return QTest::qWaitFor(
            [] {
                for (QWidget* widget : QApplication::topLevelWidgets())
                    if (qobject_cast<SelectionWindow*>(widget) && widget->isVisible() && widget->isActiveWindow())
                        return true;
                return false;
            },
            5000);
    }
};

TEST_F(SelectionOverlayOnX11Test, EscapeOnTheKeyboardCancels) {
    test::CaptureHarness harness(screen);
    harness.coordinator->setSelectionPresenter(&overlay);
    harness.start(CaptureMode::area);
    ASSERT_TRUE(overlayIsActive());
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("a"), QStringLiteral("Escape")}));
    ASSERT_TRUE(harness.waitForAnswer());
    EXPECT_EQ(harness.answers.front().error().message(), CaptureMessages::cancelled());
}

TEST_F(SelectionOverlayOnX11Test, ADragWithThePointerCapturesThatAreaOfTheFrozenScreen) {
    test::CaptureHarness harness(screen);
    harness.coordinator->setSelectionPresenter(&overlay);
    harness.start(CaptureMode::area);
    ASSERT_TRUE(overlayIsActive());
    const QRect area(place.x() + 20, place.y() + 10, 200, 150);
    const QPoint end = area.bottomRight() + QPoint(1, 1);
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QString::number(end.x()), QString::number(end.y()),
                         QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"),
                         QString::number(area.x() + 50), QString::number(area.y() + 50), QStringLiteral("mousemove"),
                         QString::number(area.x()), QString::number(area.y()), QStringLiteral("mouseup"),
                         QStringLiteral("1")}));
    ASSERT_TRUE(harness.waitForAnswer());
    ASSERT_TRUE(harness.answers.front().ok()) << harness.answers.front().error().message().toStdString();
    EXPECT_TRUE(samePixels(harness.answers.front().value(), window.picture().copy(area.translated(-place.topLeft()))));
}

}  // namespace
