// Takes held steady for a few seconds on a real X server, as the program
// makes them: a page scrolling under the recording's border and control bar,
// which are taken out of the pictures, recorded alone or with the camera's
// portrait in the framed look. Once a take has run a second, its pictures
// reuse the memory of the ones before: the system maps no fresh pages for
// them (minor faults), where a picture-sized block made for each picture
// costs a picture's worth of pages every time. The program's own setting of
// the C library holds here too: every large block is a mapping of its own.
#include "camera/PortraitFrameFeed.h"
#include "platform/camera/CameraCapture.h"
#include "platform/desktop/ScreenFeed.h"
#include "platform/media/LivePartRecorder.h"
#include "platform/memory/AllocatorSettings.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWindows.h"
#include "tests/support/ThreadNames.h"

#include <QPainter>
#include <QRasterWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tavero;

namespace {

const QRect screenRect(0, 0, 1920, 1080);
// What a take records: a display's middle, ringed by the border.
const QRect area(320, 180, 1280, 720);
constexpr double frameSeconds = 1.0 / 30;

// Another program's page over the whole screen, scrolling four pixels each
// thirtieth of a second.
class ScrollingPage : public QRasterWindow {
public:
    ScrollingPage() : page_(fixtures::textPage(screenRect.width(), screenRect.height() * 2)) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(screenRect);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            offset_ = (offset_ + 4) % screenRect.height();
            update();
        });
        timer_.start(33);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).drawImage(QPoint(0, 0), page_, QRect(QPoint(0, offset_), screenRect.size()));
    }

private:
    QImage page_;
    QTimer timer_;
    int offset_ = 0;
};

// One of ours, in red: the border, a 4-pixel ring around `place`, or a solid
// panel.
test::FloatingWindow ownWindow(const QRect& place, bool ring) {
    const QRect inside(QPoint(0, 0), place.size());
    return {fixtures::solid(place.size(), Qt::red), place,
            ring ? QRegion(inside).subtracted(inside.adjusted(4, 4, -4, -4)) : QRegion()};
}

class SteadyTakeTest : public testing::Test {
protected:
    ScrollingPage page;
    test::FloatingWindow border = ownWindow(area, true);
    test::FloatingWindow controlBar = ownWindow(QRect(area.center().x() - 280, area.bottom() - 100, 560, 56), false);
    test::TempDir folder;
    const QString path = folder.file(QStringLiteral("part.mp4"));

    void SetUp() override {
        giveLargeBlocksBackWhenFreed();
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page, 5000));
        ASSERT_TRUE(border.showAndWait());
        ASSERT_TRUE(controlBar.showAndWait());
    }

    ScreenScope scope() const {
        return {area, std::nullopt, true, {quint32(border.winId()), quint32(controlBar.winId())}};
    }

    // Records from `feed` for a second, then two more and at least
    // `leastPictures` pictures (a busy machine makes fewer a second), for ten
    // at most (where a still screen's picture a second gives ten): the pages
    // the system mapped for each picture of those, and the recorder's
    // threads.
    struct Steady {
        double faultsPerPicture = 0;
        qsizetype pictures = 0;
        QStringList threads;
    };
    static constexpr qsizetype leastPictures = 20;
    Steady record(std::unique_ptr<PictureFeed> feed) {
        Steady steady;
        const QSize size = feed->size();
        media::LivePartRecorder recorder(path, std::move(feed), {size, {}, {}}, {}, {});
        if (!QTest::qWaitFor([&] { return recorder.elapsed() >= 1.0; }, 30'000)) return steady;
        const double from = recorder.elapsed();
        const long long before = test::minorFaults();
        // Each picture written moves elapsed() on: the changes seen are
        // pictures written, or fewer where two came between two looks.
        double seen = from;
        qsizetype written = 0;
        const bool steadyEnough = QTest::qWaitFor(
            [&] {
                const double now = recorder.elapsed();
                if (now != seen) ++written;
                seen = now;
                return (now >= from + 2.0 && written >= leastPictures) || now >= from + 10.0;
            },
            30'000);
        if (!steadyEnough) return steady;
        const double to = recorder.elapsed();
        const long long faults = test::minorFaults() - before;
        steady.threads = test::threadNames();
        recorder.finish();
        // Pictures are written at their times; elapsed() is the last one's
        // end, a frame after it, and the next picture comes at least about a
        // frame later.
        const QList<double> times = test::pictureTimes(path);
        steady.pictures = std::count_if(times.begin(), times.end(), [&](double time) {
            return time > from - frameSeconds / 2 && time <= to - frameSeconds / 2;
        });
        steady.faultsPerPicture = double(faults) / double(std::max<qsizetype>(steady.pictures, 1));
        return steady;
    }
};

// The pages of one picture of `size`.
double pagesOf(QSize size) { return double(size.width()) * size.height() * 4 / 4096; }

TEST_F(SteadyTakeTest, AScreenTakeMakesNoPictureSizedAllocationAfterItsFirstSecondAndNamesItsThreads) {
    const Steady steady = record(openScreenFeed(scope()));
    ASSERT_GE(steady.pictures, leastPictures) << "the page scrolled through the take";
    EXPECT_LT(steady.faultsPerPicture, pagesOf(area.size()) / 8);
    EXPECT_TRUE(steady.threads.contains(QStringLiteral("tavero-grab"))) << steady.threads.join(' ').toStdString();
    EXPECT_TRUE(steady.threads.contains(QStringLiteral("tavero-encode")));
    EXPECT_TRUE(steady.threads.contains(QStringLiteral("tavero-x264")));
}

TEST_F(SteadyTakeTest, ACameraTakeOverTheScreenMakesNoPictureSizedAllocationAfterItsFirstSecond) {
    const auto samples = std::make_shared<CameraSamples>();
    const std::unique_ptr<CameraCapture> camera = openSyntheticCamera(
        QSize(1280, 720), 30, [samples](const QImage& picture, MonotonicTime captured) { samples->offer(picture, captured); },
        {});
    const auto portrait = std::make_shared<PortraitState>();
    PortraitScreen screen{openScreenFeed(scope()), area.size(), QRectF(area), nullptr, RecordingEffects{}};
    auto feed = std::make_unique<PortraitFrameFeed>(samples, portrait, std::move(screen));
    const QSize size = feed->size();

    const Steady steady = record(std::move(feed));
    ASSERT_GE(steady.pictures, leastPictures) << "the camera paced the take";
    EXPECT_LT(steady.faultsPerPicture, pagesOf(size) / 8);
    EXPECT_TRUE(steady.threads.contains(QStringLiteral("tavero-camera")));
}

TEST_F(SteadyTakeTest, ACameraOnlyTakeMakesNoPictureSizedAllocationAfterItsFirstSecond) {
    const auto samples = std::make_shared<CameraSamples>();
    const std::unique_ptr<CameraCapture> camera = openSyntheticCamera(
        QSize(1280, 720), 30, [samples](const QImage& picture, MonotonicTime captured) { samples->offer(picture, captured); },
        {});
    // A tall crop of the camera's middle, scaled up to the output.
    const CameraFraming framing{CameraAspect::portrait916, 1080, 1440, 0.5, 0.5, 0.8};
    auto feed = std::make_unique<PortraitFrameFeed>(samples, std::make_shared<PortraitState>(), framing);
    const QSize size = feed->size();

    const Steady steady = record(std::move(feed));
    ASSERT_GE(steady.pictures, leastPictures) << "the camera paced the take";
    EXPECT_LT(steady.faultsPerPicture, pagesOf(size) / 8);
}

}  // namespace
