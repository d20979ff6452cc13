// A camera-only take through the program's own studio parts, headless: the
// synthetic camera (TAVERO_PLATFORM=fake) behind the model's webcam feed,
// the camera part writer and the model's recorder.
#include "platform/files/FreeSpace.h"
#include "platform/media/MediaTracks.h"
#include "recording_ui/CameraFramingPreviewView.h"
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/PortraitOverlayWindow.h"
#include "tests/app/DelegateHarness.h"

#include <gtest/gtest.h>

using namespace tavero;
using Kind = RecordingPhase::Kind;

TEST(CameraTakeTest, ACameraThatFallsSilentEndsTheTakeWithWhatWasRecordedAtTheFramingsSize) {
    qputenv("TAVERO_PLATFORM", "fake");
    FreeSpace::ScopedProbe roomy{[](const QString&) { return std::optional<qint64>(100'000'000'000); }};
    test::DelegateHarness harness;
    PortraitOverlayWindow* portrait = nullptr;
    harness.makePortraitOverlay = [&portrait] {
        auto overlay = std::make_unique<PortraitOverlayWindow>();
        portrait = overlay.get();
        return overlay;
    };
    RecordingStudio& studio = harness.model().studio();
    CameraFraming framing;
    framing.aspect = CameraAspect::square;
    studio.setCameraFraming(framing);
    studio.setSystemAudio(false);
    studio.setMicrophone(false);
    studio.setSetupVisible(true);
    studio.setScope(RecordingScope::camera);
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio.webcam().ready(); }, 10'000)) << studio.webcam().message().toStdString();
    EXPECT_EQ(studio.webcam().message(), QStringLiteral("合成摄像头 · 1280 × 720"));

    studio.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio.phase() == RecordingPhase(Kind::recording); }, 20'000))
        << harness.model().status().toStdString();
    ASSERT_TRUE(portrait && portrait->panel()) << "the take shows what it writes in a floating preview";
    EXPECT_TRUE(portrait->panel()->isVisible());
    EXPECT_EQ(portrait->panel()->windowTitle(), QStringLiteral("口播预览 · 1080 × 1080"));
    ASSERT_TRUE(portrait->cameraPreview());
    EXPECT_EQ(portrait->cameraPreview()->framing(), framing);
    QTest::qWait(1000);
    // The camera stops delivering: the writer's watchdog ends the take.
    studio.webcam().stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.model().videoURL().has_value(); }, 20'000))
        << harness.model().status().toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return harness.model().status().contains(QStringLiteral("摄像头画面中断，已保留录制完成的部分。")); },
        10'000))
        << harness.model().status().toStdString();
    EXPECT_FALSE(portrait->panel()) << "the preview closes with the take";
    const QList<media::MediaTrack> tracks = media::readTracks(*harness.model().videoURL());
    ASSERT_FALSE(tracks.isEmpty());
    EXPECT_EQ(tracks[0].coding.width, 1080);
    EXPECT_EQ(tracks[0].coding.height, 1080);
    qunsetenv("TAVERO_PLATFORM");
}
