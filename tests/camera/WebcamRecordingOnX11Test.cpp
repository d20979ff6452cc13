// A take with the camera over a real screen (Xvfb) and a real sound server:
// what the written frames show and which sound tracks the part carries.
#include "camera/NoCameraFeed.h"
#include "camera/PortraitCompositor.h"
#include "camera/RecordingCompositor.h"
#include "camera/WebcamRecordingSegment.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWindows.h"

#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QRect area(200, 200, 640, 360);
const QPoint pointerInArea(160, 250);

// Left half black, right half white: its blur shows as grey where they meet.
QImage halves() {
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(0, 0, area.width() / 2, area.height(), Qt::black);
    return picture;
}

RecordingCaptureSettings areaSettings() {
    RecordingCaptureSettings settings;
    settings.display = DisplayInfo{1, QStringLiteral("screen"), QRect(0, 0, 1920, 1080), 1, true};
    settings.region = QRectF(area);
    settings.systemAudio = true;
    settings.microphone = true;
    return settings;
}

int brightness(QRgb pixel) { return (qRed(pixel) + qGreen(pixel) + qBlue(pixel)) / 3; }

}  // namespace

TEST(WebcamRecordingOnX11Test, AScreenTakeShowsTheBlurredBorderThePointerAndThePortraitWithBothSoundTracks) {
    test::SoundServer sound;
    if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no sound server here");
    test::PictureWindow window(halves(), area);
    ASSERT_TRUE(window.showAndWait());
    ASSERT_TRUE(test::pointAt(area.topLeft() + pointerInArea));
    QTest::qWait(200);

    NoCameraFeed feed;
    const PortraitLayout layout{PortraitShape::circle, 0.7, 0.3, 0.25, false, true};
    feed.portrait().set(layout);
    const RecordingEffects effects{false, true, 1.65, 0.06, 24};
    test::TempDir folder;
    const QString path = folder.path() + "/part.mp4";
    WebcamRecordingSegment segment(feed, areaSettings(), effects, true, CameraFraming{});
    std::optional<Result<RecordedVideo>> result;
    segment.onFinished = [&](Result<RecordedVideo> finished) { result = std::move(finished); };
    segment.start(path);
    const QSize size = RecordingCompositor::outputSize(area.size(), effects);
    EXPECT_EQ(segment.videoSize(), size);
    ASSERT_GT(size.width(), area.width()) << "the framed look adds a border";

    // Each camera picture once the one before is written, at most 30 a
    // second: a busy machine's encoder drops none.
    QImage camera(640, 360, QImage::Format_RGB32);
    camera.fill(Qt::red);
    for (int frame = 0; frame < 45; ++frame) {
        const double written = segment.elapsed();
        feed.accept(camera, std::chrono::steady_clock::now());
        QTest::qWait(33);
        ASSERT_TRUE(QTest::qWaitFor([&] { return segment.elapsed() > written; }, 20'000)) << "picture " << frame;
    }
    segment.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30'000));
    ASSERT_TRUE(result->ok()) << result->error().message().toStdString();
    EXPECT_EQ(test::soundTrackTags(path), (QStringList{QStringLiteral("system"), QStringLiteral("mic")}));

    const QList<QImage> pictures = test::decodePictures(path);
    ASSERT_GE(pictures.size(), 30);
    const QImage last = pictures.last();
    ASSERT_EQ(last.size(), size);
    const int inset = RecordingCompositor::inset(area.size(), effects);

    // The border is the screen blurred: dark beside the black half, light
    // beside the white one, grey above where they meet.
    EXPECT_LT(brightness(last.pixel(inset / 3, size.height() / 2)), 80);
    EXPECT_GT(brightness(last.pixel(size.width() - 1 - inset / 3, size.height() / 2)), 170);
    const int middle = brightness(last.pixel(size.width() / 2, inset / 3));
    EXPECT_GT(middle, 60);
    EXPECT_LT(middle, 200);

    // The pointer is drawn where it rests, on the black half.
    const QRect aroundPointer(QPoint(inset, inset) + pointerInArea - QPoint(2, 2), QSize(24, 24));
    int lit = 0;
    for (int y = aroundPointer.top(); y <= aroundPointer.bottom(); ++y)
        for (int x = aroundPointer.left(); x <= aroundPointer.right(); ++x) lit += brightness(last.pixel(x, y)) > 100;
    EXPECT_GT(lit, 10) << "no pointer in the picture";

    // The portrait sits where its layout puts it, showing the camera.
    const QRectF portrait = PortraitCompositor::target(QSizeF(size), layout);
    const QRgb centre = last.pixel(portrait.center().toPoint());
    EXPECT_GT(qRed(centre), 200);
    EXPECT_LT(qGreen(centre), 60);
    EXPECT_LT(brightness(last.pixel(QPoint(inset, inset) + QPoint(60, 300))), 60) << "the screen outside it";
}
