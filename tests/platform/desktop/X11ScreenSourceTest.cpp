// Runs on a bare Xvfb (no window manager): the window list comes from the
// window tree and windows sit exactly where they were placed.
#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QCoreApplication>
#include <QCursor>
#include <QPainter>
#include <QTest>

#include <future>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::grabUntil;
using tavero::test::PictureWindow;
using tavero::test::samePixels;

namespace {

const QRect patternPlace(200, 150, 320, 240);

class X11ScreenSourceTest : public testing::Test {
protected:
    X11ScreenSource source;
    QImage pattern = fixtures::noise(patternPlace.width(), patternPlace.height(), 7);
    PictureWindow window{pattern, patternPlace};

    void SetUp() override { ASSERT_TRUE(window.showAndWait()); }

    std::optional<WindowInfo> listed(quint32 id) {
        for (const WindowInfo& info : source.windows())
            if (info.id == id) return info;
        return std::nullopt;
    }
};

TEST_F(X11ScreenSourceTest, ReportsTheScreenAsOneDisplayWithAStableId) {
    const QList<DisplayInfo> displays = source.displays();
    ASSERT_EQ(displays.size(), 1);
    EXPECT_EQ(displays[0].pixelFrame, QRect(0, 0, 1920, 1080));
    EXPECT_TRUE(displays[0].primary);
    EXPECT_EQ(displays[0].id, displayIdentifier(displays[0].name));
    EXPECT_EQ(X11ScreenSource().displays()[0].id, displays[0].id);
}

TEST_F(X11ScreenSourceTest, AFullGrabShowsTheWindowPixelExactAtItsPlace) {
    const DisplayInfo display = source.displays().first();
    for (bool shared : {true, false}) {
        source.setUseSharedMemory(shared);
        QImage full;
        grabUntil(
            [&] {
                full = source.grab(ContentFilter::forDisplay(display), false);
                return full.copy(patternPlace);
            },
            pattern);
        ASSERT_EQ(full.size(), QSize(1920, 1080)) << "shared memory " << shared;
        EXPECT_TRUE(samePixels(full.copy(patternPlace), pattern)) << "shared memory " << shared;
    }
}

TEST_F(X11ScreenSourceTest, ARectangleGrabHasItsSizeAndContent) {
    const QRect area(patternPlace.x() + 50, patternPlace.y() + 20, 101, 57);
    for (bool shared : {true, false}) {
        source.setUseSharedMemory(shared);
        const QImage image = grabUntil([&] { return source.grabArea(area, false); }, pattern.copy(50, 20, 101, 57));
        EXPECT_EQ(image.size(), QSize(101, 57));
        EXPECT_TRUE(samePixels(image, pattern.copy(50, 20, 101, 57))) << "shared memory " << shared;
    }
    EXPECT_EQ(source.grabArea(QRect(1900, 1070, 50, 50), false).size(), QSize(20, 10));
    EXPECT_TRUE(source.grabArea(QRect(3000, 3000, 10, 10), false).isNull());
}

TEST_F(X11ScreenSourceTest, GrabsStayIntactWhileHeldAndOutliveTheirSource) {
    const QImage expected = grabUntil([&] { return source.grabArea(patternPlace, false); }, pattern);
    std::vector<QImage> held;
    {
        X11ScreenSource other;
        for (int index = 0; index < 5; ++index) held.push_back(other.grabArea(patternPlace, false));
    }
    for (const QImage& image : held) EXPECT_TRUE(samePixels(image, pattern));
    EXPECT_TRUE(samePixels(expected, pattern));
}

TEST_F(X11ScreenSourceTest, ThePointerAppearsExactlyWhenAsked) {
    const QPoint pointer = patternPlace.center();
    QCursor::setPos(pointer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return source.pointer() == pointer; }, 5000));
    EXPECT_EQ(source.pointer(), pointer);
    const QRect around(pointer - QPoint(40, 40), QSize(80, 80));
    const QImage expected = pattern.copy(around.translated(-patternPlace.topLeft()));
    EXPECT_TRUE(samePixels(grabUntil([&] { return source.grabArea(around, false); }, expected), expected));
    const QImage withPointer = source.grabArea(around, true);
    EXPECT_FALSE(samePixels(withPointer, expected));
    // The pointer is drawn at its place: the grab differs near the hot spot only.
    EXPECT_TRUE(samePixels(withPointer.copy(0, 0, 40 - 32, 80), expected.copy(0, 0, 40 - 32, 80)));
}

TEST_F(X11ScreenSourceTest, ListsTheWindowWithItsGeometryAndProcessFrontToBack) {
    const auto info = listed(quint32(window.winId()));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->frame, patternPlace);
    EXPECT_EQ(info->processID, QCoreApplication::applicationPid());
    EXPECT_EQ(info->layer, 0);

    PictureWindow front(fixtures::noise(100, 100, 3), QRect(600, 400, 100, 100));
    ASSERT_TRUE(front.showAndWait());
    const QList<WindowInfo> windows = source.windows();
    const auto indexOf = [&](WId id) {
        for (qsizetype index = 0; index < windows.size(); ++index)
            if (windows[index].id == id) return index;
        return qsizetype(-1);
    };
    ASSERT_GE(indexOf(front.winId()), 0);
    EXPECT_LT(indexOf(front.winId()), indexOf(window.winId()));
    front.hide();
    QTest::qWait(50);
    EXPECT_FALSE(listed(quint32(front.winId())).has_value());
}

TEST_F(X11ScreenSourceTest, ACoveredWindowsOwnPixelsComeBackThroughComposite) {
    ASSERT_TRUE(source.hasComposite());
    QImage cover(patternPlace.size() + QSize(40, 40), QImage::Format_RGB32);
    cover.fill(Qt::darkGreen);
    PictureWindow front(cover, patternPlace.adjusted(-20, -20, 20, 20));
    ASSERT_TRUE(front.showAndWait());
    ASSERT_TRUE(samePixels(grabUntil([&] { return source.grabArea(patternPlace, false); }, cover.copy(20, 20, 320, 240)),
                           cover.copy(20, 20, 320, 240)));

    const auto info = listed(quint32(window.winId()));
    ASSERT_TRUE(info.has_value());
    const auto grabWindow = [&] { return source.grab(ContentFilter::forWindow(*info), false); };
    QImage visible = pattern;
    QPainter(&visible).fillRect(visible.rect(), Qt::darkGreen);
    EXPECT_TRUE(samePixels(grabUntil(grabWindow, visible), visible)) << "nothing redirected without a hold";
    {
        const std::shared_ptr<void> hold = source.keepWindowPixels();
        EXPECT_TRUE(samePixels(grabUntil(grabWindow, pattern), pattern));
    }
    EXPECT_TRUE(samePixels(grabUntil(grabWindow, visible), visible)) << "released with the hold";
}

TEST_F(X11ScreenSourceTest, AGrabWithoutOurWindowsShowsWhatTheyCover) {
    const QRect pagePlace(700, 300, 500, 400);
    test::ForeignWindow page(pagePlace, 4);
    ASSERT_TRUE(page.start());
    PictureWindow listed(fixtures::noise(200, 100, 5), QRect(750, 350, 200, 100));
    PictureWindow registered(fixtures::noise(200, 100, 6), QRect(950, 550, 200, 100));
    ASSERT_TRUE(listed.showAndWait());
    ASSERT_TRUE(registered.showAndWait());
    OwnWindows::add(quint32(registered.winId()));
    const DisplayInfo display = source.displays().first();
    ContentFilter filter = ContentFilter::forDisplay(display);
    ASSERT_FALSE(samePixels(source.grab(filter, false).copy(pagePlace), page.picture()));

    filter.withoutOwnWindows = true;
    filter.ownWindows = {quint32(listed.winId())};
    const QImage grabbed = source.grab(filter, false);
    OwnWindows::remove(quint32(registered.winId()));
    ASSERT_EQ(grabbed.size(), display.pixelFrame.size());
    EXPECT_TRUE(samePixels(grabbed.copy(pagePlace), page.picture()));
    EXPECT_TRUE(samePixels(grabbed.copy(patternPlace), pattern)) << "another window of ours, not named, stays";
}

TEST_F(X11ScreenSourceTest, AStreamReusesItsBuffersAndAnIdleSourceKeepsNone) {
    const DisplayInfo display = source.displays().first();
    const auto grabScreen = [&] { return source.grab(ContentFilter::forDisplay(display), false); };
    const long long before = test::grabSegmentBytes();
    {
        // A stream holds the previous frame while it grabs the next.
        QImage previous = grabScreen();
        QImage next = grabScreen();
        const uchar* reused = next.constBits();
        next = QImage();
        next = grabScreen();
        EXPECT_EQ(next.constBits(), reused);
        previous = QImage();
        next = QImage();
    }
    const long long screenBytes = 1920LL * 1080 * 4;
    EXPECT_LT(test::grabSegmentBytes() - before, screenBytes / 4) << "every buffer went back to the system";
}

// Another program's window under one of ours, which it must repaint where
// ours covered it once ours is gone or it is redirected.
class CoveredPageTest : public X11ScreenSourceTest {
protected:
    void SetUp() override {
        X11ScreenSourceTest::SetUp();
        ASSERT_TRUE(page.start());
        ASSERT_TRUE(front.showAndWait());
        ASSERT_TRUE(showsFront());
    }

    bool showsFront() {
        return samePixels(grabUntil([&] { return source.grabArea(front.geometry(), false); }, cover), cover);
    }

    const QRect pagePlace{700, 300, 500, 400};
    test::ForeignWindow page{pagePlace, 4};
    const QImage cover = fixtures::noise(300, 200, 5);
    PictureWindow front{cover, QRect(800, 400, 300, 200)};
};

TEST_F(CoveredPageTest, AWindowAloneShowsItsOwnPixelsAtTheFirstGrabWithoutAHold) {
    std::optional<WindowInfo> pageInfo;
    for (const WindowInfo& info : source.windows())
        if (info.processID == page.processID()) pageInfo = info;
    ASSERT_TRUE(pageInfo.has_value());
    ContentFilter alone = ContentFilter::forWindow(*pageInfo);
    alone.withoutOwnWindows = true;
    EXPECT_TRUE(samePixels(source.grab(alone, false), page.picture())) << "what covered it was drawn again first";
    EXPECT_TRUE(showsFront()) << "the screen shows it covered again";
}

TEST_F(CoveredPageTest, AWaitForHiddenWindowsEndsOnceWhatTheyCoveredIsDrawnAgain) {
    PictureWindow aside(fixtures::noise(100, 100, 6), QRect(1700, 900, 100, 100));
    ASSERT_TRUE(aside.showAndWait());
    const QList<quint32> ours{quint32(front.winId()), quint32(aside.winId())};
    const std::shared_ptr<ScreenSource::UncoverWait> uncovered = source.watchUncovering(ours);
    front.hide();
    aside.hide();
    // The wait reads the server on a thread of its own while this one hands
    // Qt's requests to it.
    auto waited = std::async(std::launch::async, [&] { uncovered->wait(std::chrono::minutes(1), std::chrono::minutes(1)); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return waited.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                30'000));
    EXPECT_TRUE(samePixels(source.grabArea(pagePlace, false), page.picture())) << "at once, without waiting more";
    EXPECT_FALSE(listed(quint32(aside.winId())).has_value());
    // Windows hidden before the watch are not waited for.
    source.watchUncovering(ours)->wait(std::chrono::minutes(1), std::chrono::minutes(1));
}

TEST_F(CoveredPageTest, AWaitForAHiddenWindowPartlyUnderAnotherProgramsEndsOnceWhatItShowedIsDrawnAgain) {
    // Made after ours, so stacked above it: ours leaving changes nothing there.
    const QRect coverPlace(1000, 350, 200, 200);
    test::ForeignWindow cover(coverPlace, 9);
    ASSERT_TRUE(cover.start());
    ASSERT_TRUE(samePixels(grabUntil([&] { return source.grabArea(coverPlace, false); }, cover.picture()),
                           cover.picture()));
    const std::shared_ptr<ScreenSource::UncoverWait> uncovered = source.watchUncovering({quint32(front.winId())});
    front.hide();
    auto waited =
        std::async(std::launch::async, [&] { uncovered->wait(std::chrono::minutes(1), std::chrono::seconds(20)); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return waited.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                90'000));
    EXPECT_TRUE(uncovered->undrawn().isEmpty()) << "ended on the drawing, not at the deadline";
    // Ours left of the cover.
    const QRect shown(front.geometry().topLeft(), QPoint(coverPlace.left() - 1, front.geometry().bottom()));
    EXPECT_TRUE(samePixels(source.grabArea(shown, false), page.picture().copy(shown.translated(-pagePlace.topLeft()))))
        << "what ours showed is drawn again";
}

}  // namespace
