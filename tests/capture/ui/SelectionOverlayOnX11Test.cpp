// The real overlay on Xvfb with openbox, driven by real input (XTest through
// xdotool): it must take the keyboard and the pointer over every window.
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "capture/ui/SelectionOverlay.h"
#include "capture/ui/SelectionView.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/capture/ui/ActiveOverlay.h"
#include "tests/support/TestWindows.h"

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
};

// Counts the paints of every selection view.
class ViewPaints : public QObject {
public:
    ViewPaints() { qApp->installEventFilter(this); }
    ~ViewPaints() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<SelectionView*>(object)) ++count;
        return false;
    }
};

TEST_F(SelectionOverlayOnX11Test, TheOverlayPaintsOnceAndEscapeOnTheKeyboardCancels) {
    test::CaptureHarness harness(screen);
    harness.coordinator->setSelectionPresenter(&overlay);
    ViewPaints paints;
    harness.start(CaptureMode::area);
    ASSERT_TRUE(test::overlayIsActive());
    // Whatever becoming active has queued.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(paints.count, 1) << "a second paint of the whole display delays the first";
    ASSERT_TRUE(test::xdotool({QStringLiteral("key"), QStringLiteral("a"), QStringLiteral("Escape")}));
    ASSERT_TRUE(harness.waitForAnswer());
    EXPECT_EQ(harness.answers.front().error().message(), CaptureMessages::cancelled());
}

TEST_F(SelectionOverlayOnX11Test, ADragWithThePointerCapturesThatAreaOfTheFrozenScreen) {
    test::CaptureHarness harness(screen);
    harness.coordinator->setSelectionPresenter(&overlay);
    harness.start(CaptureMode::area);
    ASSERT_TRUE(test::overlayIsActive());
    const QRect area(place.x() + 20, place.y() + 10, 200, 150);
    const QPoint end = area.bottomRight() + QPoint(1, 1);
    ASSERT_TRUE(test::drag(end, area.topLeft())) << "from the far corner back";
    ASSERT_TRUE(harness.waitForAnswer());
    ASSERT_TRUE(harness.answers.front().ok()) << harness.answers.front().error().message().toStdString();
    EXPECT_TRUE(samePixels(harness.answers.front().value(), window.picture().copy(area.translated(-place.topLeft()))));
}

}  // namespace
