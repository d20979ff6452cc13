// Our windows taken out of grabs at the cost of what they cover, on a real X
// server: a border ringing the whole screen and a panel over another
// program's page, or over the bare desktop; run again under a compositing
// manager. What the removal asks the server for is counted where it
// asks, at xcb's two image requests, which this test is linked to wrap: no
// more pixels than our windows cover, and afterwards only what the windows
// beneath drew again.
#include "platform/desktop/X11Extensions.h"
#include "platform/desktop/X11ImageGrabber.h"
#include "platform/desktop/X11OwnWindowRemoval.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QPainter>
#include <QPainterPath>
#include <QSurfaceFormat>
#include <QTest>

#include <xcb/damage.h>
#include <xcb/shm.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <mutex>
#include <unordered_map>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::samePixels;
using namespace std::chrono_literals;

namespace {

// Pixels asked of the server so far, by connection.
std::mutex askedLock;
std::unordered_map<xcb_connection_t*, qint64> asked;

void countAsked(xcb_connection_t* c, uint16_t width, uint16_t height) {
    std::lock_guard guard(askedLock);
    asked[c] += qint64(width) * height;
}

qint64 pixelsAskedOn(xcb_connection_t* c) {
    std::lock_guard guard(askedLock);
    return asked[c];
}

}  // namespace

extern "C" {

xcb_get_image_cookie_t __real_xcb_get_image(xcb_connection_t* c, uint8_t format, xcb_drawable_t drawable, int16_t x,
                                            int16_t y, uint16_t width, uint16_t height, uint32_t planeMask);
xcb_shm_get_image_cookie_t __real_xcb_shm_get_image(xcb_connection_t* c, xcb_drawable_t drawable, int16_t x,
                                                    int16_t y, uint16_t width, uint16_t height, uint32_t planeMask,
                                                    uint8_t format, xcb_shm_seg_t segment, uint32_t offset);

xcb_get_image_cookie_t __wrap_xcb_get_image(xcb_connection_t* c, uint8_t format, xcb_drawable_t drawable, int16_t x,
                                            int16_t y, uint16_t width, uint16_t height, uint32_t planeMask) {
    countAsked(c, width, height);
    return __real_xcb_get_image(c, format, drawable, x, y, width, height, planeMask);
}

xcb_shm_get_image_cookie_t __wrap_xcb_shm_get_image(xcb_connection_t* c, xcb_drawable_t drawable, int16_t x,
                                                    int16_t y, uint16_t width, uint16_t height, uint32_t planeMask,
                                                    uint8_t format, xcb_shm_seg_t segment, uint32_t offset) {
    countAsked(c, width, height);
    return __real_xcb_shm_get_image(c, drawable, x, y, width, height, planeMask, format, segment, offset);
}

}  // extern "C"

namespace {

const QRect screenRect(0, 0, 1920, 1080);
constexpr Qt::WindowFlags frameless = Qt::Window | Qt::FramelessWindowHint;

// The recording border's shape: a 4-pixel line with rounded corners around
// the whole of `size`, which makes a region of many rectangles.
QRegion ring(QSize size) {
    const auto rounded = [](const QRectF& rect, double radius) {
        QPainterPath path;
        path.addRoundedRect(rect, radius, radius);
        return QRegion(path.toFillPolygon().toPolygon());
    };
    const QRectF outer(QPointF(0, 0), QSizeF(size));
    return rounded(outer, 12).subtracted(rounded(outer.adjusted(4, 4, -4, -4), 8));
}

qint64 pixelsOf(const QRegion& region) {
    qint64 pixels = 0;
    for (const QRect& rect : region) pixels += qint64(rect.width()) * rect.height();
    return pixels;
}

// The removal on a connection of its own, as a recording's screen feed uses
// it. Pictures are made on another thread, so that this one keeps the test's
// windows answering the server.
class Removal {
public:
    struct Picture {
        QImage image;
        // Pixels the removal asked the server for.
        qint64 read = 0;
        // What it painted over.
        QRegion covered;
    };

    // The root's record tells the removal where the screen was drawn, as a feed's does.
    explicit Removal(QList<xcb_window_t> ours) : ours_(std::move(ours)) {
        if (!damageEvent_) return;
        xcb_damage_create(connection_.get(), rootDamage_, connection_.root(), XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    }

    // With `shown`, the screen is taken to show that still, as a
    // compositing manager's does until it paints again.
    Picture picture(const QImage& shown = {}) {
        std::future<Picture> made = std::async(std::launch::async, [&] { return make(shown); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return made.wait_for(0s) == std::future_status::ready; }, 10'000));
        return made.get();
    }

private:
    Picture make(const QImage& shown) {
        // Everything drawn so far has been reported once the round trip is back.
        xcb_connection_t* c = connection_.get();
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            offer(*event);
            std::free(event);
        }
        Picture picture;
        qint64 before = 0;
        const auto grabScreen = [&] {
            QImage screen = shown.isNull()
                                ? grabber_.grab(connection_.root(), screenRect, connection_.screen()->root_depth)
                                : shown.convertToFormat(QImage::Format_RGB32);
            before = pixelsAskedOn(c);
            return screen;
        };
        picture.image = removal_.grab(screenRect, ours_, grabScreen, std::exchange(last_, {}),
                                      [this](const xcb_generic_event_t& event) { offer(event); });
        picture.read = pixelsAskedOn(c) - before;
        picture.covered = removal_.covered();
        last_.image = picture.image;
        return picture;
    }

    void offer(const xcb_generic_event_t& event) {
        bool changed = false;
        if (removal_.takeEvent(event, changed) || !damageEvent_) return;
        const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        if ((event.response_type & 0x7f) == *damageEvent_ + XCB_DAMAGE_NOTIFY && notify.damage == rootDamage_)
            removal_.screenDrawn(QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height));
    }

    x11::Connection connection_;
    const std::optional<uint8_t> damageEvent_ = x11::startDamage(connection_);
    const uint32_t rootDamage_ = xcb_generate_id(connection_.get());
    x11::ImageGrabber grabber_{connection_};
    x11::OwnWindowRemoval removal_{connection_, grabber_};
    const QList<xcb_window_t> ours_;
    x11::ShownPicture last_;
};

// Whether no channel of any pixel differs by more than `tolerance`: a
// compositing manager rounds as it blends.
bool closePixels(const QImage& one, const QImage& other, int tolerance) {
    if (one.size() != other.size()) return false;
    const QImage a = one.convertToFormat(QImage::Format_RGB32);
    const QImage b = other.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int most = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                       std::abs(qBlue(p) - qBlue(q))});
            if (most > tolerance) return false;
        }
    return true;
}

// A desktop picture of one colour published as wallpaper setters do
// (_XROOTPMAP_ID), but not made the root's background; taken back when this
// goes.
class PublishedDesktop {
public:
    explicit PublishedDesktop(uint32_t colour) {
        xcb_connection_t* c = connection_.get();
        const xcb_screen_t* screen = connection_.screen();
        xcb_create_pixmap(c, screen->root_depth, pixmap_, screen->root, screen->width_in_pixels,
                          screen->height_in_pixels);
        const xcb_gcontext_t paint = xcb_generate_id(c);
        xcb_create_gc(c, paint, pixmap_, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t all{0, 0, screen->width_in_pixels, screen->height_in_pixels};
        xcb_poly_fill_rectangle(c, pixmap_, paint, 1, &all);
        xcb_free_gc(c, paint);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, connection_.atom("_XROOTPMAP_ID"),
                            XCB_ATOM_PIXMAP, 32, 1, &pixmap_);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    ~PublishedDesktop() {
        xcb_connection_t* c = connection_.get();
        xcb_delete_property(c, connection_.root(), connection_.atom("_XROOTPMAP_ID"));
        xcb_free_pixmap(c, pixmap_);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

private:
    x11::Connection connection_;
    const xcb_pixmap_t pixmap_ = xcb_generate_id(connection_.get());
};

class OwnWindowRemovalTest : public testing::Test {
protected:
    X11ScreenSource screen;
    // Another program's page under the whole screen, and a window of it
    // across the top of the ring.
    test::PictureWindow page{fixtures::noise(screenRect.width(), screenRect.height(), 21), screenRect, frameless};
    test::PictureWindow dialog{fixtures::noise(300, 100, 22), QRect(800, 0, 300, 100), frameless};
    // Ours: the border and a control bar large enough to pass through shared memory.
    const QRegion border = ring(screenRect.size());
    test::FloatingWindow ringWindow{fixtures::solid(screenRect.size(), Qt::red), screenRect, border};
    const QRect barPlace{660, 900, 600, 120};
    test::FloatingWindow bar{fixtures::solid(barPlace.size(), Qt::magenta), barPlace};
    QImage beneath;

    void SetUp() override {
        // Each window is waited for until the screen shows what it draws,
        // which comes after its exposure.
        const QRect pagePart(0, 200, 700, 600);
        page.show();
        ASSERT_TRUE(onScreen(pagePart, page.picture().copy(pagePart))) << "the page";
        dialog.show();
        ASSERT_TRUE(onScreen(dialog.geometry(), dialog.picture())) << "the dialog";
        beneath = screen.grabArea(screenRect, false);
        ASSERT_TRUE(ringWindow.showAndWait());
        ASSERT_TRUE(bar.showAndWait());
        ASSERT_TRUE(onScreen(barPlace, bar.picture()));
    }

    bool onScreen(const QRect& place, const QImage& expected) {
        return samePixels(test::grabUntil([&] { return screen.grabArea(place, false); }, expected), expected);
    }

    QList<xcb_window_t> ours() const { return {xcb_window_t(ringWindow.winId()), xcb_window_t(bar.winId())}; }

    // The screen once the page and our windows left it.
    QImage withoutPageAndOurs() {
        page.hide();
        ringWindow.hide();
        bar.hide();
        const QRect pagePart(100, 300, 200, 200);
        const QRect ringPart(0, 300, 4, 200);
        QImage bare;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            bare = screen.grabArea(screenRect, false);
            return !samePixels(bare.copy(pagePart), page.picture().copy(pagePart)) &&
                   !samePixels(bare.copy(ringPart), fixtures::solid(ringPart.size(), Qt::red)) &&
                   !samePixels(bare.copy(barPlace), bar.picture()) &&
                   samePixels(bare.copy(dialog.geometry()), dialog.picture());
        }, 20'000));
        return bare;
    }

    void hideOurs() {
        ringWindow.hide();
        bar.hide();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !samePixels(screen.grabArea(barPlace, false), bar.picture()); }, 20'000));
    }

    // Raised: mapped again, a window keeps its place in the stack, beneath
    // windows shown since.
    void showOurs() {
        ASSERT_TRUE(ringWindow.showAndWait());
        ASSERT_TRUE(bar.showAndWait());
        ringWindow.raise();
        bar.raise();
        ASSERT_TRUE(onScreen(bar.geometry(), bar.picture()));
    }
};

TEST_F(OwnWindowRemovalTest, ReadsOnlyWhatOurWindowsCoverAndLaterOnlyWhatWasDrawnBeneathThem) {
    const qint64 covered = pixelsOf(border) + qint64(barPlace.width()) * barPlace.height();
    Removal removal(ours());

    const Removal::Picture first = removal.picture();
    EXPECT_TRUE(samePixels(first.image, beneath)) << "our windows are out, what they cover shows";
    EXPECT_GT(first.read, 0);
    EXPECT_LE(first.read, covered) << "no more than the ring and the bar hold, each pixel read once";

    // Nothing drawn beneath: the next pictures read nothing (the windows
    // beneath may still be answering the first one's redirection).
    Removal::Picture still = removal.picture();
    for (int picture = 0; picture < 20 && still.read > 0; ++picture) still = removal.picture();
    EXPECT_EQ(still.read, 0);
    EXPECT_TRUE(samePixels(still.image, beneath));

    // The page draws a block across the ring's left edge: that much of the
    // ring is read again, and the picture shows the new block.
    const QRect drawn(0, 300, 50, 200);
    const QImage block = fixtures::noise(drawn.width(), drawn.height(), 23);
    page.drawAt(drawn.topLeft(), block);
    ASSERT_TRUE(onScreen(drawn.adjusted(10, 0, 0, 0), block.copy(QRect(10, 0, 40, 200))));
    const Removal::Picture after = removal.picture();
    EXPECT_GT(after.read, 0);
    EXPECT_LE(after.read, pixelsOf(border & drawn));
    QPainter(&beneath).drawImage(drawn.topLeft(), block);
    EXPECT_TRUE(samePixels(after.image, beneath));
}

// A compositing manager paints in its own time: a screen that still shows
// the bar where it was dragged from shows what lies beneath there, until
// the screen has been drawn there since and the place's time is past.
TEST_F(OwnWindowRemovalTest, APlaceTheBarLeftShowsWhatLiesBeneathWhileTheScreenStillShowsTheBarThere) {
    x11::Connection connection;
    if (!x11::compositingManagerRuns(connection)) GTEST_SKIP() << "only a compositing manager shows a move late";
    Removal removal(ours());
    ASSERT_TRUE(samePixels(removal.picture().image, beneath));
    const QImage barWhereItWas = screen.grabArea(screenRect, false);
    const QRect dragged = barPlace.translated(-300, -400);
    bar.setPosition(dragged.topLeft());
    ASSERT_TRUE(onScreen(dragged, bar.picture()));

    const Removal::Picture late = removal.picture(barWhereItWas);
    EXPECT_TRUE(samePixels(late.image.copy(barPlace), beneath.copy(barPlace)));
    EXPECT_TRUE(late.covered.intersects(barPlace));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !removal.picture().covered.intersects(barPlace); }, 20'000))
        << "the place is forgotten";
}

// Over the bare desktop, where no picture has shown it yet: what the screen
// shows there (the root's background, or a compositing manager's desktop),
// never our windows.
TEST_F(OwnWindowRemovalTest, OverTheBareDesktopTheFirstPictureShowsWhatTheScreenShowsThere) {
    const QImage bare = withoutPageAndOurs();
    showOurs();
    EXPECT_TRUE(samePixels(Removal(ours()).picture().image, bare));
}

// A window that lay where the bar came, and left since: the desktop shows
// there, not what the window showed when the bar came.
TEST_F(OwnWindowRemovalTest, WhereAWindowLeftFromBeneathTheBarTheDesktopShows) {
    const QRect away(100, 500, 300, 100);
    dialog.setPosition(away.topLeft());
    const QImage bare = withoutPageAndOurs();
    dialog.setPosition(QPoint(800, 0));
    ASSERT_TRUE(onScreen(dialog.geometry(), dialog.picture()));
    showOurs();
    Removal removal(ours());
    removal.picture();
    const QRect overDialog(700, 0, barPlace.width(), barPlace.height());
    bar.setPosition(overDialog.topLeft());
    ASSERT_TRUE(onScreen(overDialog, bar.picture()));
    removal.picture();
    dialog.setPosition(away.topLeft());
    ASSERT_TRUE(onScreen(away, dialog.picture()));

    EXPECT_TRUE(samePixels(removal.picture().image, bare));
}

// A window with an alpha channel beneath the bar shows as the screen shows
// it: laid over what lies beneath by a compositing manager, without one its
// colours alone, over black.
TEST_F(OwnWindowRemovalTest, AWindowWithAnAlphaChannelBeneathTheBarShowsAsTheScreenShowsIt) {
    const QRect place = barPlace.adjusted(-40, -40, 40, 40);
    QImage picture(place.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(255, 96, 0, 128));
    const QRect inside = picture.rect().adjusted(60, 60, -60, -60);
    QPainter(&picture).drawImage(inside.topLeft(), fixtures::noise(inside.width(), inside.height(), 24));
    test::PictureWindow seeThrough(picture, place, frameless);
    QSurfaceFormat withAlpha = seeThrough.format();
    withAlpha.setAlphaBufferSize(8);
    seeThrough.setFormat(withAlpha);
    hideOurs();
    ASSERT_TRUE(seeThrough.showAndWait());
    ASSERT_TRUE(onScreen(inside.translated(place.topLeft()), picture.copy(inside)));
    const QImage shown = screen.grabArea(screenRect, false);
    showOurs();

    const QImage image = Removal(ours()).picture().image;
    EXPECT_TRUE(closePixels(image.copy(place), shown.copy(place), 2));
}

// A published desktop picture shows beneath our windows only where the
// screen shows it: picom paints it, the server alone shows the root's own
// background instead.
TEST_F(OwnWindowRemovalTest, APublishedDesktopPictureShowsOnlyWhereTheScreenShowsIt) {
    withoutPageAndOurs();
    const PublishedDesktop published(0x20c060);
    const QRect middle(screenRect.center(), QSize(1, 1));
    x11::Connection connection;
    if (x11::compositingManagerRuns(connection)) {
        ASSERT_TRUE(onScreen(middle, fixtures::solid(middle.size(), QColor(0x20c060))));
    }
    const QImage bare = screen.grabArea(screenRect, false);
    showOurs();
    EXPECT_TRUE(samePixels(Removal(ours()).picture().image, bare));
}

}  // namespace
