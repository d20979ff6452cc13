// The screen feed a recording reads, on a real X server: when its waits
// wake, what its pictures show (the pointer, our own windows taken out) and
// how a followed window is followed. Runs on a bare Xvfb and once more with
// openbox, which frames windows and reparents ours.
#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/ScreenFeed.h"
#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestWindows.h"

#include <QPainter>
#include <QRasterWindow>
#include <QTest>

#include <future>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::grabUntil;
using tavero::test::samePixels;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// A frameless window showing a picture, which the test may change, at 1:1
// from its top-left corner.
class Canvas : public QRasterWindow {
public:
    Canvas(QImage picture, const QRect& place, Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint)
        : picture_(std::move(picture)) {
        setFlags(flags);
        setGeometry(place);
    }
    bool showAndWait() {
        show();
        return QTest::qWaitForWindowExposed(this, 20'000);
    }
    void setPicture(QImage picture) {
        picture_ = std::move(picture);
        update();
    }
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), Qt::black);
        painter.drawImage(QPoint(0, 0), picture_);
    }

private:
    QImage picture_;
};

// A floating panel of ours, as the recording's panels are: on top, never
// focused.
class Panel : public Canvas {
public:
    explicit Panel(const QRect& place)
        : Canvas(solid(place.size(), Qt::magenta), place,
                 Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {}

    static QImage solid(QSize size, Qt::GlobalColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
};

std::future<bool> waitInBackground(PictureFeed& feed, std::chrono::milliseconds limit) {
    return std::async(std::launch::async, [&feed, limit] { return feed.waitForChange(Clock::now() + limit); });
}

bool finishes(std::future<bool>& wait, int timeoutMs = 10'000) {
    return QTest::qWaitFor([&] { return wait.wait_for(0s) == std::future_status::ready; }, timeoutMs);
}

// Whether `picture` shows `expected` somewhere (a window manager's border
// may lie around it).
bool shows(const QImage& picture, const QImage& expected) {
    for (int y = 0; y + expected.height() <= picture.height(); ++y)
        for (int x = 0; x + expected.width() <= picture.width(); ++x)
            if (samePixels(picture.copy(QRect(QPoint(x, y), expected.size())), expected)) return true;
    return false;
}

// The rectangle where two pictures of one size differ.
QRect differences(const QImage& a, const QImage& b) {
    const QImage first = a.convertToFormat(QImage::Format_RGB32);
    const QImage second = b.convertToFormat(QImage::Format_RGB32);
    QRect found;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            if ((first.pixel(x, y) & 0xffffff) != (second.pixel(x, y) & 0xffffff)) found |= QRect(x, y, 1, 1);
    return found;
}

bool windowManagerRuns() {
    const std::optional<QString> answer =
        test::outputOf(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    return answer && answer->contains(QStringLiteral("window id"));
}

class X11ScreenFeedTest : public testing::Test {
protected:
    X11ScreenSource screen;
    const QRect area{300, 200, 640, 400};

    void SetUp() override { ASSERT_TRUE(test::pointAt(QPoint(1900, 1070))); }

    std::unique_ptr<PictureFeed> feedOf(QRect scopeArea, bool cursor = false, QList<quint32> ours = {}) {
        return openScreenFeed(ScreenScope{scopeArea, std::nullopt, cursor, std::move(ours)});
    }

    // Waits for the screen to show `expected` at `place`.
    bool onScreen(const QRect& place, const QImage& expected) {
        return samePixels(grabUntil([&] { return screen.grabArea(place, false); }, expected), expected);
    }

    // Another program's window as the screen lists it: in the window
    // manager's run its frame lies around the client, placed by openbox.
    std::optional<WindowInfo> windowOf(const test::ForeignWindow& program) {
        for (const WindowInfo& window : screen.windows())
            if (window.processID == program.processID()) return window;
        return std::nullopt;
    }
};

TEST_F(X11ScreenFeedTest, AStillScreenWaitsUntilTheDeadlineAndDrawingInsideWakesTheWait) {
    Canvas canvas(fixtures::noise(400, 300, 1), QRect(area.topLeft() + QPoint(100, 50), QSize(400, 300)));
    ASSERT_TRUE(canvas.showAndWait());
    ASSERT_TRUE(onScreen(canvas.geometry(), canvas.picture()));
    const std::unique_ptr<PictureFeed> feed = feedOf(area);
    EXPECT_EQ(feed->size(), area.size());
    EXPECT_TRUE(feed->waitForChange(Clock::now())) << "nothing was grabbed yet";
    const QImage first = feed->grab();
    EXPECT_EQ(first.size(), area.size());
    EXPECT_TRUE(samePixels(first, screen.grabArea(area, false)));

    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(feed->waitForChange(start + 400ms));
    EXPECT_GE(Clock::now() - start, 400ms);

    std::future<bool> wait = waitInBackground(*feed, 60s);
    canvas.setPicture(fixtures::noise(400, 300, 2));
    ASSERT_TRUE(finishes(wait));
    EXPECT_TRUE(wait.get());
    const QRect inArea = canvas.geometry().translated(-area.topLeft());
    const QImage after = grabUntil([&] { return feed->grab().copy(inArea); }, canvas.picture());
    EXPECT_TRUE(samePixels(after, canvas.picture()));

    // A change not yet grabbed answers at once.
    canvas.setPicture(fixtures::noise(400, 300, 3));
    ASSERT_TRUE(onScreen(canvas.geometry(), canvas.picture()));
    EXPECT_TRUE(feed->waitForChange(Clock::now()));
    EXPECT_TRUE(feed->waitForChange(Clock::now()));
}

TEST_F(X11ScreenFeedTest, PicturesLetGoOfBeforeTheNextGrabReuseTheirBufferUntilTheFeedEnds) {
    // A recording's encoder is done with each picture before the next grab;
    // a buffer made and handed back for every picture costs fresh pages each
    // time.
    const QRect screenArea(0, 0, 1920, 1080);
    const long long screenBytes = 1920LL * 1080 * 4;
    const long long before = test::grabSegmentBytes();
    {
        const std::unique_ptr<PictureFeed> feed = feedOf(screenArea);
        for (int picture = 0; picture < 5; ++picture) EXPECT_FALSE(feed->grab().isNull());
        EXPECT_GE(test::grabSegmentBytes() - before, screenBytes) << "the buffer waits for the next picture";
    }
    EXPECT_LT(test::grabSegmentBytes() - before, screenBytes / 4) << "and goes back once the feed is gone";
}

TEST_F(X11ScreenFeedTest, DrawingOutsideTheAreaLetsTheWaitRunToItsDeadline) {
    Canvas outside(fixtures::noise(300, 200, 4), QRect(1200, 700, 300, 200));
    ASSERT_TRUE(outside.showAndWait());
    ASSERT_TRUE(onScreen(outside.geometry(), outside.picture()));
    const std::unique_ptr<PictureFeed> feed = feedOf(area);
    feed->grab();
    std::future<bool> wait = waitInBackground(*feed, 3s);
    outside.setPicture(fixtures::noise(300, 200, 5));
    ASSERT_TRUE(onScreen(outside.geometry(), outside.picture()));
    ASSERT_TRUE(finishes(wait));
    EXPECT_FALSE(wait.get());
}

TEST_F(X11ScreenFeedTest, WakeEndsAWaitAtOnce) {
    const std::unique_ptr<PictureFeed> feed = feedOf(area, true);
    feed->grab();
    std::future<bool> wait = waitInBackground(*feed, 60s);
    QTest::qWait(100);
    feed->wake();
    ASSERT_TRUE(finishes(wait, 5000));
    EXPECT_FALSE(wait.get());
}

TEST_F(X11ScreenFeedTest, ThePointerMovingOverTheAreaWakesTheWaitAndIsDrawnWhereItIs) {
    Canvas canvas(fixtures::noise(area.width(), area.height(), 6), area);
    ASSERT_TRUE(canvas.showAndWait());
    ASSERT_TRUE(onScreen(canvas.geometry(), canvas.picture()));
    const QImage still = screen.grabArea(area, false);
    const std::unique_ptr<PictureFeed> feed = feedOf(area, true);
    feed->grab();
    EXPECT_FALSE(feed->waitForChange(Clock::now() + 300ms)) << "the pointer rests far away";

    std::future<bool> wait = waitInBackground(*feed, 60s);
    const QPoint pointer = area.topLeft() + QPoint(200, 150);
    ASSERT_TRUE(test::pointAt(pointer));
    ASSERT_TRUE(finishes(wait));
    EXPECT_TRUE(wait.get());

    const QRect drawn = differences(feed->grab(), still);
    EXPECT_FALSE(drawn.isEmpty()) << "the pointer is drawn";
    EXPECT_TRUE(QRect(pointer - area.topLeft() - QPoint(32, 32), QSize(64, 64)).contains(drawn))
        << "around the pointer only";

    wait = waitInBackground(*feed, 60s);
    ASSERT_TRUE(test::pointAt(pointer + QPoint(40, 30)));
    ASSERT_TRUE(finishes(wait));
    EXPECT_TRUE(wait.get());
    feed->grab();

    // Leaving the area changes the pictures once; moving far from it, never.
    ASSERT_TRUE(test::pointAt(QPoint(1800, 1000)));
    EXPECT_TRUE(feed->waitForChange(Clock::now() + 5s));
    feed->grab();
    wait = waitInBackground(*feed, 1500ms);
    ASSERT_TRUE(test::pointAt(QPoint(1850, 1050)));
    ASSERT_TRUE(finishes(wait));
    EXPECT_FALSE(wait.get());
    EXPECT_TRUE(samePixels(feed->grab(), still));
}

class OwnWindowsTest : public X11ScreenFeedTest {
protected:
    // Another program's page under the area, and a panel of ours over it.
    test::ForeignWindow page{QRect(150, 100, 1000, 700), 8};
    const QRect panelPlace{area.topLeft() + QPoint(120, 160), QSize(400, 80)};
    Panel panel{panelPlace};
    QImage beneath;

    void SetUp() override {
        X11ScreenFeedTest::SetUp();
        ASSERT_TRUE(page.start());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const std::optional<WindowInfo> info = pageInfo();
                return info && shows(screen.grabArea(info->frame, false), page.picture());
            },
            20'000))
            << "the page is drawn on the screen";
        beneath = screen.grabArea(area, false);
        ASSERT_TRUE(panel.showAndWait());
        ASSERT_TRUE(onScreen(panel.geometry(), panel.picture())) << "the panel is on the screen";
    }

    void TearDown() override { OwnWindows::remove(quint32(panel.winId())); }

    std::optional<WindowInfo> pageInfo() { return windowOf(page); }
};

TEST_F(OwnWindowsTest, ARegisteredWindowOfOursIsTakenOutAndWhatItCoversShows) {
    const std::unique_ptr<PictureFeed> feed = feedOf(area);
    const QImage withPanel = feed->grab();
    EXPECT_EQ(differences(withPanel, beneath), panel.geometry().translated(-area.topLeft())) << "unknown windows stay";

    OwnWindows::add(quint32(panel.winId()));
    EXPECT_TRUE(samePixels(grabUntil([&] { return feed->grab(); }, beneath), beneath));

    // The panel moves within the area, is drawn again, and stays out.
    panel.setPosition(panelPlace.topLeft() + QPoint(60, 90));
    panel.setPicture(Panel::solid(panelPlace.size(), Qt::cyan));
    ASSERT_TRUE(onScreen(panel.geometry(), panel.picture()));
    EXPECT_TRUE(feed->waitForChange(Clock::now() + 5s));
    EXPECT_TRUE(samePixels(grabUntil([&] { return feed->grab(); }, beneath), beneath));
}

TEST_F(OwnWindowsTest, WindowsNamedByTheScopeAreTakenOutToo) {
    const std::unique_ptr<PictureFeed> feed = feedOf(area, false, {quint32(panel.winId())});
    EXPECT_TRUE(samePixels(feed->grab(), beneath)) << "at the first picture";
}

TEST_F(OwnWindowsTest, WhatAWindowBeneathHasNotDrawnAgainIsBlackUntilItDoesNeverOurPanel) {
    test::StoppedProgram stopped(page.processID());
    const std::unique_ptr<PictureFeed> feed = feedOf(area, false, {quint32(panel.winId())});
    const QImage first = feed->grab();
    stopped.resume();
    const QRect panelInArea = panel.geometry().translated(-area.topLeft());
    EXPECT_TRUE(panelInArea.contains(differences(first, beneath))) << "nothing but the page, or black where the panel lay";
    EXPECT_TRUE(samePixels(first.copy(panelInArea), Panel::solid(panelInArea.size(), Qt::black)))
        << "black where the page has not drawn, never our panel";

    EXPECT_TRUE(feed->waitForChange(Clock::now() + 60s)) << "the page drew again";
    EXPECT_TRUE(samePixels(grabUntil([&] { return feed->grab(); }, beneath), beneath));
}

TEST_F(OwnWindowsTest, WhereAnotherFeedKeepsTheWindowsRedirectedAWindowBeneathThatDrawsNothingShowsWhole) {
    // A preview of ours over the same area: the page has its own pixels
    // from now on, under the panel too, and is asked to draw nothing more.
    const std::unique_ptr<PictureFeed> preview = feedOf(area, false, {quint32(panel.winId())});
    ASSERT_TRUE(samePixels(grabUntil([&] { return preview->grab(); }, beneath), beneath));
    test::StoppedProgram stopped(page.processID());
    const std::unique_ptr<PictureFeed> feed = feedOf(area, false, {quint32(panel.winId())});
    const QImage first = feed->grab();
    stopped.resume();
    EXPECT_TRUE(samePixels(first, beneath)) << "the page as it is, neither our panel nor black";
}

TEST_F(OwnWindowsTest, OtherWindowsKeepTheirOwnPixelsOnlyWhileOneOfOursOverlapsTheArea) {
    const std::optional<WindowInfo> info = pageInfo();
    ASSERT_TRUE(info.has_value());
    const auto pageGrab = [&] { return screen.grab(ContentFilter::forWindow(*info), false); };
    const QRect panelOnPage = panel.geometry().translated(-info->frame.topLeft());
    const auto showsPanel = [&](const QImage& picture) {
        return samePixels(picture.copy(panelOnPage), Panel::solid(panelPlace.size(), Qt::magenta));
    };
    EXPECT_TRUE(showsPanel(pageGrab())) << "nothing is redirected before the feed";

    OwnWindows::add(quint32(panel.winId()));
    const std::unique_ptr<PictureFeed> feed = feedOf(area);
    feed->grab();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !showsPanel(pageGrab()); }, 20'000)) << "redirected while it overlaps";

    panel.setPosition(QPoint(1400, 900));
    ASSERT_TRUE(onScreen(panel.geometry(), panel.picture())) << "the panel is away from the area";
    feed->grab();
    panel.setPosition(panelPlace.topLeft());
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsPanel(screen.grabArea(info->frame, false)); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsPanel(pageGrab()); }, 20'000)) << "released once none of ours overlaps";
}

// The root's own background as xsetroot sets it (no desktop picture), and
// drawing on the root itself; the server's default again at the end.
class DrawnRoot {
public:
    DrawnRoot() { setBackground(XCB_CW_BACK_PIXEL, 0x2060c0); }
    ~DrawnRoot() { setBackground(XCB_CW_BACK_PIXMAP, XCB_BACK_PIXMAP_NONE); }
    void draw(const QRect& rect, uint32_t colour) {
        xcb_connection_t* c = connection_.get();
        const xcb_gcontext_t context = xcb_generate_id(c);
        xcb_create_gc(c, context, connection_.root(), XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t filled{int16_t(rect.x()), int16_t(rect.y()), uint16_t(rect.width()), uint16_t(rect.height())};
        xcb_poly_fill_rectangle(c, connection_.root(), context, 1, &filled);
        xcb_free_gc(c, context);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

private:
    void setBackground(uint32_t attribute, uint32_t value) {
        xcb_connection_t* c = connection_.get();
        xcb_change_window_attributes(c, connection_.root(), attribute, &value);
        xcb_clear_area(c, 0, connection_.root(), 0, 0, 0, 0);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    x11::Connection connection_;
};

// Our panel over the bare desktop, and a drawing on the root where it moves next.
class BareDesktopTest : public X11ScreenFeedTest {
protected:
    DrawnRoot root;
    Panel panel{QRect(area.topLeft() + QPoint(120, 160), QSize(400, 80))};
    const QRect drawing{area.topLeft() + QPoint(150, 280), QSize(300, 60)};
    QImage beneath;

    void SetUp() override {
        X11ScreenFeedTest::SetUp();
        root.draw(drawing, 0xc03020);
        beneath = screen.grabArea(area, false);
        ASSERT_TRUE(panel.showAndWait());
        ASSERT_TRUE(onScreen(panel.geometry(), panel.picture()));
        OwnWindows::add(quint32(panel.winId()));
    }
    void TearDown() override { OwnWindows::remove(quint32(panel.winId())); }
};

TEST_F(BareDesktopTest, WhatThePanelCoversShowsWhatTheScreenShowedThereNeverBlack) {
    const std::unique_ptr<PictureFeed> feed = feedOf(area, true);
    EXPECT_TRUE(samePixels(feed->grab(), beneath)) << "the root's background under the panel shown before the take";

    // The pointer rests on the drawing, then leaves as the panel moves over it.
    ASSERT_TRUE(test::pointAt(drawing.center()));
    EXPECT_TRUE(feed->waitForChange(Clock::now() + 5s));
    EXPECT_FALSE(samePixels(feed->grab(), beneath)) << "the pointer is drawn";
    ASSERT_TRUE(test::pointAt(QPoint(1900, 1070)));
    panel.setPosition(area.topLeft() + QPoint(120, 260));
    ASSERT_TRUE(onScreen(panel.geometry(), panel.picture()));
    EXPECT_TRUE(samePixels(feed->grab(), beneath))
        << "the drawing under the panel as the last picture showed it, without the pointer; the background where it was";
}

class FollowedWindowTest : public X11ScreenFeedTest {
protected:
    Canvas window{fixtures::noise(300, 200, 10), QRect(200, 150, 300, 200)};

    void SetUp() override {
        X11ScreenFeedTest::SetUp();
        ASSERT_TRUE(window.showAndWait());
        ASSERT_TRUE(QTest::qWaitFor([&] { return shows(screen.grabArea(window.frameGeometry(), false), window.picture()); }, 5000));
    }

    std::unique_ptr<PictureFeed> feedOfWindow(bool cursor = false) {
        return openScreenFeed(ScreenScope{window.frameGeometry(), quint32(window.winId()), cursor, {}});
    }

    QImage grabShowing(PictureFeed& feed, const QImage& expected) {
        QImage picture = feed.grab();
        // The caller checks what the last picture shows.
        static_cast<void>(QTest::qWaitFor([&] { return shows(picture = feed.grab(), expected); }, 5000));
        return picture;
    }

    // Waits on another thread while this one keeps Qt's windows going,
    // until the feed is lost; its description.
    std::optional<QString> lostAfterWaits(PictureFeed& feed) {
        std::optional<QString> lost;
        const Clock::time_point giveUp = Clock::now() + 10s;
        while (!lost && Clock::now() < giveUp) {
            std::future<bool> wait = waitInBackground(feed, 100ms);
            finishes(wait);
            try {
                if (wait.get()) feed.grab();
            } catch (const PictureFeed::Lost& error) {
                lost = error.description();
            }
        }
        return lost;
    }
};

TEST_F(FollowedWindowTest, PicturesShowTheWindowsOwnPixelsAndFollowItWhenMovedOrResized) {
    const std::unique_ptr<PictureFeed> feed = feedOfWindow();
    EXPECT_GE(feed->size().width(), 300);
    EXPECT_TRUE(shows(grabShowing(*feed, window.picture()), window.picture()));

    Canvas cover(Panel::solid(QSize(500, 400), Qt::darkGreen), QRect(150, 100, 500, 400));
    ASSERT_TRUE(cover.showAndWait());
    ASSERT_TRUE(onScreen(cover.geometry(), cover.picture()));
    EXPECT_TRUE(shows(grabShowing(*feed, window.picture()), window.picture())) << "covered, it still shows";
    cover.hide();

    window.setPosition(QPoint(900, 500));
    EXPECT_TRUE(feed->waitForChange(Clock::now() + 5s));
    window.setPicture(fixtures::noise(300, 200, 11));
    EXPECT_TRUE(shows(grabShowing(*feed, window.picture()), window.picture())) << "drawn after the move";

    const QSize before = feed->grab().size();
    window.resize(420, 260);
    window.setPicture(fixtures::noise(420, 260, 12));
    EXPECT_TRUE(feed->waitForChange(Clock::now() + 5s));
    const QImage resized = grabShowing(*feed, window.picture());
    EXPECT_EQ(resized.size(), before + QSize(120, 60)) << "pictures take the new size";
    EXPECT_TRUE(shows(resized, window.picture()));
    EXPECT_EQ(feed->size(), before) << "the size the feed was made with";
}

TEST_F(FollowedWindowTest, AClosedWindowEndsTheFeed) {
    const std::unique_ptr<PictureFeed> feed = feedOfWindow(true);
    feed->grab();
    window.hide();
    EXPECT_EQ(lostAfterWaits(*feed), QStringLiteral("窗口已关闭"));
    EXPECT_THROW(feed->grab(), PictureFeed::Lost) << "for good";
}

TEST_F(FollowedWindowTest, ADestroyedWindowEndsTheFeedAndAGoneOneOpensNone) {
    auto other = std::make_unique<Canvas>(fixtures::noise(200, 100, 13), QRect(800, 300, 200, 100));
    ASSERT_TRUE(other->showAndWait());
    const quint32 id = quint32(other->winId());
    const std::unique_ptr<PictureFeed> feed = openScreenFeed(ScreenScope{other->frameGeometry(), id, false, {}});
    feed->grab();
    other.reset();
    EXPECT_EQ(lostAfterWaits(*feed), QStringLiteral("窗口已关闭"));
    QTest::qWait(100);
    try {
        openScreenFeed(ScreenScope{QRect(800, 300, 200, 100), id, false, {}});
        ADD_FAILURE() << "a feed of a gone window";
    } catch (const PictureFeed::Lost& error) {
        EXPECT_EQ(error.description(), QStringLiteral("窗口已关闭"));
    }
}

TEST_F(FollowedWindowTest, AnIconifiedWindowIsOnlyHidden) {
    if (!windowManagerRuns()) GTEST_SKIP() << "only a window manager iconifies";
    const std::unique_ptr<PictureFeed> feed = feedOfWindow();
    const QImage shown = grabShowing(*feed, window.picture());
    window.showMinimized();
    const Clock::time_point until = Clock::now() + 1500ms;
    while (Clock::now() < until) {
        std::future<bool> wait = waitInBackground(*feed, 100ms);
        ASSERT_TRUE(finishes(wait));
        ASSERT_NO_THROW(wait.get());
        ASSERT_NO_THROW(feed->grab());
    }
    EXPECT_TRUE(shows(feed->grab(), window.picture())) << "its last picture";
}

// Another program's window under a panel of known colour when a recording
// of the window begins: the redirection gives it a copy of the screen, the
// panel included, which it draws over only when it answers the Expose.
class CoveredFollowedWindowTest : public X11ScreenFeedTest {
protected:
    test::ForeignWindow page{QRect(200, 150, 400, 300), 14};
    std::optional<WindowInfo> pageWindow;
    // The page in its frame, as the screen showed it uncovered.
    QImage whole;
    std::unique_ptr<Panel> panel;
    QRect panelInFrame;

    void SetUp() override {
        X11ScreenFeedTest::SetUp();
        ASSERT_TRUE(page.start());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                pageWindow = windowOf(page);
                return pageWindow && shows(screen.grabArea(pageWindow->frame, false), page.picture());
            },
            20'000))
            << "the page is drawn on the screen";
        whole = screen.grabArea(pageWindow->frame, false);
        panel = std::make_unique<Panel>(QRect(pageWindow->frame.topLeft() + QPoint(100, 100), QSize(200, 120)));
        ASSERT_TRUE(panel->showAndWait());
        ASSERT_TRUE(onScreen(panel->geometry(), panel->picture())) << "the panel is on the screen";
        panelInFrame = panel->geometry().translated(-pageWindow->frame.topLeft());
    }

    std::unique_ptr<PictureFeed> feedOfPage() {
        return openScreenFeed(ScreenScope{pageWindow->frame, pageWindow->id, false, {}});
    }

    // Whether `picture` shows the page, or black where the panel lies.
    bool pageOrBlackUnderPanel(const QImage& picture) {
        const QImage shown = picture.convertToFormat(QImage::Format_RGB32);
        const QImage page = whole.convertToFormat(QImage::Format_RGB32);
        if (shown.size() != page.size()) return false;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb pixel = shown.pixel(x, y) & 0xffffff;
                const bool black = pixel == 0 && panelInFrame.contains(x, y);
                if (pixel != (page.pixel(x, y) & 0xffffff) && !black) return false;
            }
        }
        return true;
    }
};

TEST_F(CoveredFollowedWindowTest, WhatTheWindowHasNotDrawnSinceIsBlackUntilItDoesNeverWhatCoveredIt) {
    test::StoppedProgram stopped(page.processID());
    const std::unique_ptr<PictureFeed> feed = feedOfPage();
    const QImage first = feed->grab();
    const QImage second = feed->grab();
    stopped.resume();
    for (const QImage& picture : {first, second}) {
        EXPECT_TRUE(pageOrBlackUnderPanel(picture)) << "nothing but the page, or black where the panel lay";
        EXPECT_TRUE(samePixels(picture.copy(panelInFrame), Panel::solid(panelInFrame.size(), Qt::black)))
            << "black where the page has not drawn, never the panel";
    }

    EXPECT_TRUE(feed->waitForChange(Clock::now() + 60s)) << "the page drew again";
    const bool drawn = QTest::qWaitFor(
        [&] {
            const QImage picture = feed->grab();
            EXPECT_TRUE(pageOrBlackUnderPanel(picture)) << "while the page draws again";
            return samePixels(picture, whole);
        },
        20'000);
    EXPECT_TRUE(drawn) << "the page's own pixels once it has drawn";
}

TEST_F(CoveredFollowedWindowTest, AWindowThatDrawsInTimeIsWholeAtTheFirstPicture) {
    EXPECT_TRUE(samePixels(feedOfPage()->grab(), whole));
}

TEST_F(CoveredFollowedWindowTest, WhereAnotherFeedKeepsTheWindowRedirectedAWindowThatDrawsNothingShowsWhole) {
    // A preview of the window: the page has its own pixels from now on,
    // under the panel too, and is asked to draw nothing more.
    const std::unique_ptr<PictureFeed> preview = feedOfPage();
    ASSERT_TRUE(samePixels(grabUntil([&] { return preview->grab(); }, whole), whole));
    test::StoppedProgram stopped(page.processID());
    const QImage first = feedOfPage()->grab();
    stopped.resume();
    EXPECT_TRUE(samePixels(first, whole)) << "the page as it is, neither the panel nor black";
}

TEST(X11ScreenFeedOpenTest, AnAreaOnNoDisplayOpensNoFeed) {
    try {
        openScreenFeed(ScreenScope{QRect(5000, 5000, 100, 100), std::nullopt, false, {}});
        ADD_FAILURE() << "a feed off the screen";
    } catch (const PictureFeed::Lost& error) {
        EXPECT_EQ(error.description(), QStringLiteral("显示器已断开"));
    }
}

}  // namespace
