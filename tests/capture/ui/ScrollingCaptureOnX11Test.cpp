// A whole scrolling screenshot on a bare Xvfb: a window of ours shows a long
// text page and scrolls it in uneven steps while the real frame stream,
// the session and the bar with its frame run as in the program.
#include "capture/CaptureCoordinator.h"
#include "capture/ScrollFrameStream.h"
#include "capture/ScrollingCapture.h"
#include "capture/ui/ScrollCapturePresenter.h"
#include "capture/ui/ScrollRegionFrame.h"
#include "platform/desktop/OwnWindows.h"
#include "editor_ui/style/TaveroStyle.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QPainter>
#include <QRasterWindow>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::samePixels;

namespace {

constexpr int pageWidth = 1440;
constexpr int pageHeight = 20'000;
const QRect place(240, 40, pageWidth, 800);
constexpr int steps[] = {137, 211, 95, 260, 173, 301, 88, 240, 155, 199, 117, 283};

class ScrollingPage : public QRasterWindow {
public:
    explicit ScrollingPage(QImage page, const QRect& where = place) : page_(std::move(page)) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(where);
    }
    void scrollTo(int top) {
        top_ = top;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(QPoint(0, -top_), page_);
    }

private:
    QImage page_;
    int top_ = 0;
};

// Passes the real stream's frames on, keeping a copy of each.
class RecordedStream final : public ScrollFrameSource {
public:
    RecordedStream(std::unique_ptr<ScrollFrameSource> stream, QList<QImage>& frames)
        : stream_(std::move(stream)), frames_(frames) {}

    void start(const CaptureRegion& region, const ShareableContent& content, FrameHandler frame,
               FailureHandler failed) override {
        stream_->start(region, content,
                       [this, frame = std::move(frame)](const QImage& picture) {
                           frames_.append(picture);
                           frame(picture);
                       },
                       std::move(failed));
    }
    void stop(std::function<void()> completion) override { stream_->stop(std::move(completion)); }

private:
    std::unique_ptr<ScrollFrameSource> stream_;
    QList<QImage>& frames_;
};

int greenPixels(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QRgb green = TaveroStyle::green().rgb();
    int count = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) count += row[x] == green;
    }
    return count;
}

TEST(ScrollingCaptureOnX11Test, ALongPageScrolledInUnevenStepsComesOutWholeAndWithoutOurWindows) {
    auto screen = std::make_shared<X11ScreenSource>();
    const QImage page = fixtures::textPage(pageWidth, pageHeight);
    ScrollingPage window(page);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage firstScreen = page.copy(0, 0, pageWidth, place.height());
    ASSERT_TRUE(samePixels(test::grabUntil([&] { return screen->grabArea(place, false); }, firstScreen), firstScreen));

    test::CaptureHarness capture(screen);
    ScrollingCapture session(screen);
    ScrollCapturePresenter presenter;
    session.setControlsPresenter(&presenter);
    QList<QImage> frames;
    session.setStreamFactory(
        [&] { return std::make_unique<RecordedStream>(std::make_unique<ScrollFrameStream>(screen), frames); });
    std::optional<QImage> result;
    QObject::connect(&session, &ScrollingCapture::completed,
                     [&](const QImage& image, const std::optional<QString>& notice) {
                         EXPECT_FALSE(notice.has_value()) << notice->toStdString();
                         result = image;
                     });

    const CaptureRegion region{screen->displays().first().id, QRectF(place)};
    session.start(screen->grabArea(place, false), region, *capture.coordinator);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.isEmpty(); }, 5000));

    // The frame hugs the region from outside; the bar sits below it.
    const QRect ring = place.adjusted(-ScrollRegionFrame::lineWidth, -ScrollRegionFrame::lineWidth,
                                      ScrollRegionFrame::lineWidth, ScrollRegionFrame::lineWidth);
    const QRect topEdge(ring.topLeft(), QSize(ring.width(), ScrollRegionFrame::lineWidth));
    EXPECT_TRUE(QTest::qWaitFor([&] { return greenPixels(screen->grabArea(topEdge, false)) == ring.width() * 2; }, 5000));
    const QRect bar(place.x(), place.bottom() + 1, place.width(), 140);
    EXPECT_GT(greenPixels(screen->grabArea(bar, false)), 500) << "the bar is on screen";

    int top = 0;
    for (int step : steps) {
        top += step;
        window.scrollTo(top);
        ASSERT_TRUE(QTest::qWaitFor([&] { return session.height() == top + place.height(); }, 5000))
            << "after scrolling to " << top << " the long image is " << session.height() << " px";
    }
    session.finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));

    EXPECT_EQ(result->size(), QSize(pageWidth, top + place.height()));
    EXPECT_TRUE(samePixels(*result, page.copy(0, 0, pageWidth, top + place.height()))) << "every seam is the page's own";
    ASSERT_GE(frames.size(), qsizetype(std::size(steps)));
    for (const QImage& frame : frames) ASSERT_EQ(greenPixels(frame), 0) << "our windows never show in a frame";
}

TEST(ScrollingCaptureOnX11Test, TheBarOverAWholeScreenRegionStaysOutOfTheFrames) {
    auto screen = std::make_shared<X11ScreenSource>();
    const DisplayInfo display = screen->displays().first();
    const QRect whole = display.pixelFrame;
    const QImage page = fixtures::textPage(whole.width(), 3 * whole.height());
    ScrollingPage window(page, whole);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage firstScreen = page.copy(whole);
    ASSERT_TRUE(samePixels(test::grabUntil([&] { return screen->grabArea(whole, false); }, firstScreen), firstScreen));

    // No room beside the region: the bar lies over it, registered as ours.
    ScrollingCapture session(screen);
    ScrollCapturePresenter presenter;
    const std::unique_ptr<ScrollControls> controls = presenter.open(session, display, QRectF(whole));
    ASSERT_TRUE(controls);
    const QRect bar = ScrollCapturePresenter::barGeometry(QRectF(whole), whole);
    ASSERT_TRUE(whole.contains(bar));
    ASSERT_TRUE(QTest::qWaitFor([&] { return greenPixels(screen->grabArea(bar, false)) > 500; }, 5000));
    ASSERT_EQ(OwnWindows::list().size(), 1);

    ScrollFrameStream stream(screen);
    QList<QImage> frames;
    stream.start(CaptureRegion{display.id, QRectF(whole)}, ShareableContent{{display}, {}},
                 [&](const QImage& frame) { frames.append(frame); }, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.isEmpty(); }, 5000));
    EXPECT_TRUE(samePixels(frames.first(), firstScreen)) << "the first frame shows the page beneath the bar";

    window.scrollTo(300);
    const QImage scrolled = page.copy(whole.translated(0, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return samePixels(frames.last(), scrolled); }, 5000));
    for (const QImage& frame : frames) EXPECT_EQ(greenPixels(frame), 0) << "the bar never shows in a frame";
    bool stopped = false;
    stream.stop([&] { stopped = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return stopped; }, 5000));
}

}  // namespace
