#include "camera/LiveWebcamFeed.h"
#include "camera/NoCameraFeed.h"
#include "platform/ShotError.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

using namespace tavero;

namespace {

WebcamDevices synthetic(QSize size = QSize(320, 240)) {
    WebcamDevices devices;
    devices.openCamera = [size](CameraCapture::Picture picture, CameraCapture::Failed failed) {
        return openSyntheticCamera(size, 30, std::move(picture), std::move(failed));
    };
    return devices;
}

QImage solid(QColor colour) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

}  // namespace

TEST(WebcamFeedTest, AcceptedPicturesAreKeptAndEverySampleReachesTheObserver) {
    NoCameraFeed feed;
    EXPECT_TRUE(feed.latest().isNull());
    int pictures = 0, sounds = 0;
    auto observer = std::make_shared<WebcamObserver>();
    observer->picture = [&](const QImage&, MonotonicTime) { ++pictures; };
    observer->sound = [&](const SoundChunk&) { ++sounds; };
    feed.observe(observer);
    feed.accept(solid(Qt::red), std::chrono::steady_clock::now());
    const float silence[2] = {};
    feed.accept(SoundChunk{SoundInput::microphone, silence, 1, 2, 48000, std::chrono::steady_clock::now()});
    EXPECT_EQ(feed.latest().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(sounds, 1);
    feed.observe(nullptr);
    feed.accept(solid(Qt::blue), std::chrono::steady_clock::now());
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(feed.latest().pixel(0, 0), qRgb(0, 0, 255));
}

TEST(WebcamFeedTest, ASyntheticCameraBecomesReadyAndStopsCleanly) {
    LiveWebcamFeed feed(synthetic());
    std::optional<bool> answer;
    feed.start(false, [&](bool ready) { answer = ready; });
    EXPECT_TRUE(feed.preparing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 5000));
    EXPECT_TRUE(*answer);
    EXPECT_TRUE(feed.ready());
    EXPECT_FALSE(feed.preparing());
    EXPECT_EQ(feed.message(), QStringLiteral("合成摄像头 · 320 × 240"));

    std::atomic<int> pictures = 0;
    auto observer = std::make_shared<WebcamObserver>();
    observer->picture = [&](const QImage& picture, MonotonicTime) {
        if (picture.size() == QSize(320, 240)) ++pictures;
    };
    feed.observe(observer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pictures >= 3; }, 5000));
    EXPECT_FALSE(feed.latest().isNull());

    feed.stop();
    EXPECT_FALSE(feed.ready());
    EXPECT_EQ(feed.message(), QStringLiteral("合成摄像头 · 320 × 240")) << "a stop keeps the status line";
    ASSERT_TRUE(QTest::qWaitFor([&] { return feed.latest().isNull(); }, 5000));
    const int seen = pictures;
    QTest::qWait(150);
    EXPECT_EQ(pictures, seen) << "no observer after a stop";
}

TEST(WebcamFeedTest, AStopSupersedesAStartInFlight) {
    LiveWebcamFeed feed(synthetic());
    bool answered = false;
    feed.start(false, [&](bool) { answered = true; });
    feed.stop();
    QTest::qWait(300);
    EXPECT_FALSE(answered);
    EXPECT_FALSE(feed.ready());
    EXPECT_FALSE(feed.preparing());
}

TEST(WebcamFeedTest, AMissingMicrophoneFailsTheStartWithItsSentence) {
    WebcamDevices devices = synthetic();
    devices.openSound = [](const QList<SoundInput>&, SoundCapture::ChunkHandler,
                           SoundCapture::FailureHandler) -> std::unique_ptr<SoundCapture> {
        throw ShotError(QStringLiteral("没有找到麦克风。"));
    };
    LiveWebcamFeed feed(std::move(devices));
    std::optional<bool> answer;
    feed.start(true, [&](bool ready) { answer = ready; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 5000));
    EXPECT_FALSE(*answer);
    EXPECT_FALSE(feed.ready());
    EXPECT_EQ(feed.message(), QStringLiteral("没有找到麦克风。"));
}

TEST(WebcamFeedTest, CamerasAreFoundByTheirFirstNodeAndNoneIsSaid) {
    test::TempDir sys;
    writeFile(sys.path() + "/video10/name", "Later Camera\n");
    writeFile(sys.path() + "/video10/index", "0\n");
    writeFile(sys.path() + "/video2/name", "Integrated Camera\n");
    writeFile(sys.path() + "/video2/index", "0\n");
    writeFile(sys.path() + "/video3/name", "Integrated Camera\n");
    writeFile(sys.path() + "/video3/index", "1\n");
    const QList<CameraDevice> cameras = findCameras(sys.path());
    ASSERT_EQ(cameras.size(), 2);
    EXPECT_EQ(cameras[0].name, QStringLiteral("Integrated Camera"));
    EXPECT_EQ(cameras[0].node, QStringLiteral("/dev/video2"));
    EXPECT_EQ(cameras[1].node, QStringLiteral("/dev/video10"));
    EXPECT_TRUE(findCameras(sys.path() + "/missing").isEmpty());

    if (!findCameras().isEmpty()) GTEST_SKIP() << "this machine has a camera";
    LiveWebcamFeed feed;
    std::optional<bool> answer;
    feed.start(false, [&](bool ready) { answer = ready; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 5000));
    EXPECT_FALSE(*answer);
    EXPECT_EQ(feed.message(), QStringLiteral("没有找到摄像头，请确认设备已连接。"));
}
