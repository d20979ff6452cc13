// The coordinator over the real X11 screen of a bare Xvfb.
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QCursor>
#include <QPainter>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::CaptureHarness;
using tavero::test::grabUntil;
using tavero::test::samePixels;

namespace {

const QRect place(200, 150, 320, 240);

class CaptureOnX11Test : public testing::Test {
protected:
    std::shared_ptr<X11ScreenSource> screen = std::make_shared<X11ScreenSource>();
    test::ForeignWindow window{place, 17};

    void SetUp() override {
        ASSERT_TRUE(window.start());
        ASSERT_TRUE(samePixels(grabUntil([&] { return screen->grabArea(place, false); }, window.picture()),
                               window.picture()));
    }
};

TEST_F(CaptureOnX11Test, AFullScreenshotShowsAnotherProgramsWindowPixelExact) {
    CaptureHarness harness(screen);
    QCursor::setPos(1500, 900);
    const Result<QImage> shot = harness.run(CaptureMode::full);
    ASSERT_TRUE(shot.ok());
    EXPECT_EQ(shot.value().size(), QSize(1920, 1080));
    EXPECT_TRUE(samePixels(shot.value().copy(place), window.picture()));
}

TEST_F(CaptureOnX11Test, ThePointerShowsWhenAskedButNeverInAScrollingSelection) {
    CaptureHarness harness(screen);
    harness.coordinator->setIncludeCursor(true);
    QCursor::setPos(place.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen->pointer() == place.center(); }, 5000));

    const Result<QImage> full = harness.run(CaptureMode::full);
    ASSERT_TRUE(full.ok());
    EXPECT_FALSE(samePixels(full.value().copy(place), window.picture()));

    const Result<QImage> scrolling = harness.run(CaptureMode::area, QRectF(place), true);
    ASSERT_TRUE(scrolling.ok());
    EXPECT_TRUE(samePixels(scrolling.value(), window.picture()));
    ASSERT_TRUE(harness.coordinator->targetApplication().has_value()) << "the window's owner";
    EXPECT_EQ(harness.coordinator->targetApplication()->processID, window.processID());
}

TEST_F(CaptureOnX11Test, WindowModeTakesTheClickedWindowsOwnPixelsEvenWhenCovered) {
    QImage cover(200, 200, QImage::Format_RGB32);
    cover.fill(Qt::darkRed);
    test::PictureWindow ours(cover, QRect(place.topLeft() + QPoint(100, 50), QSize(200, 200)));
    ASSERT_TRUE(ours.showAndWait());
    CaptureHarness harness(screen);
    QCursor::setPos(100, 100);
    const auto foreign = [&] {
        for (const WindowInfo& info : screen->windows())
            if (info.processID == window.processID()) return info;
        return WindowInfo{};
    };
    const auto grabForeign = [&] { return screen->grab(ContentFilter::forWindow(foreign()), false); };
    QImage visible = window.picture();
    QPainter(&visible).fillRect(QRect(QPoint(100, 50), QSize(200, 200)), Qt::darkRed);
    EXPECT_TRUE(samePixels(grabUntil(grabForeign, visible), visible)) << "no window keeps its own pixels before";

    harness.start(CaptureMode::window);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    // The covered window repaints what it now draws for itself; a person's click comes later.
    ASSERT_TRUE(samePixels(grabUntil(grabForeign, window.picture()), window.picture()));
    const QPointF underOurs = QPointF(place.topLeft()) + QPointF(150, 100);
    harness.overlay.answer(QRectF(underOurs, QSizeF(1, 1)));
    ASSERT_TRUE(harness.waitForAnswer());
    const Result<QImage> shot = harness.answers.front();
    ASSERT_TRUE(shot.ok()) << shot.error().message().toStdString();
    EXPECT_TRUE(samePixels(shot.value(), window.picture())) << "our window in front is skipped, the covered part is there";
    EXPECT_TRUE(samePixels(grabUntil(grabForeign, visible), visible)) << "and released after the capture";
}

// A picture without our windows asked for as one of them leaves, as the
// take's still is while the editor hides: it waits for the window to go and
// for what it covered to be drawn again, and where the program beneath has
// not drawn by then, it is black rather than show our window.
TEST_F(CaptureOnX11Test, ASnapshotWithoutOurWindowsAsOneLeavesNeverShowsIt) {
    QImage cover(200, 160, QImage::Format_RGB32);
    cover.fill(Qt::darkRed);
    const QRect coverPlace(place.topLeft() + QPoint(60, 40), cover.size());
    test::PictureWindow ours(cover, coverPlace);
    ASSERT_TRUE(ours.showAndWait());
    ASSERT_TRUE(samePixels(grabUntil([&] { return screen->grabArea(coverPlace, false); }, cover), cover));
    CaptureHarness harness(screen);
    ContentFilter filter = CaptureCoordinator::filter(screen->displays().first());
    filter.withoutOwnWindows = true;
    filter.ownWindows = {quint32(ours.winId())};

    std::optional<Result<QImage>> still;
    {
        test::StoppedProgram beneath(window.processID());
        harness.coordinator->snapshot(filter, false, [&](Result<QImage> picture) { still = std::move(picture); });
        ours.hide();
        ASSERT_TRUE(QTest::qWaitFor([&] { return still.has_value(); }, 60'000));
    }
    ASSERT_TRUE(still->ok()) << test::errorText(*still).toStdString();
    QImage expected = window.picture();
    QPainter(&expected).fillRect(QRect(coverPlace.topLeft() - place.topLeft(), coverPlace.size()), Qt::black);
    EXPECT_TRUE(samePixels(still->value().copy(place), expected));
}

}  // namespace
