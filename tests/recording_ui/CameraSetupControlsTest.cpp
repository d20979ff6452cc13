// The camera section of the set-up sheet shows what the studio and the feed
// say, for each scope and state of the camera.
#include "camera/LiveWebcamFeed.h"
#include "editor_ui/BusySpinner.h"
#include "editor_ui/SegmentedPicker.h"
#include "platform/ShotError.h"
#include "recording_ui/CameraFramingControls.h"
#include "recording_ui/CameraFramingPreviewView.h"
#include "recording_ui/CameraSetupControls.h"
#include "recording_ui/WebcamPreviewView.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/recording_ui/CameraTestFeed.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

// The background of a preview without a picture.
const QRgb darkGrey = qRgb(26, 26, 26);

class CameraSetupControlsTest : public testing::Test {
protected:
    CameraSetupControlsTest() {
        feed().accept(test::quarterCard(), MonotonicTime());
        controls.resize(640, 300);
        controls.show();
    }

    test::TestStudio& studio() { return harness.studio(); }
    test::FakeWebcamFeed& feed() {
        studio();
        return *harness.webcam;
    }
    void cameraRunning(PortraitShape shape = PortraitShape::circle) {
        studio().setCameraEnabled(true);
        feed().statusText = QStringLiteral("合成摄像头 · 640 × 360");
        feed().answer(true);
        PortraitLayout layout = studio().portrait();
        layout.shape = shape;
        studio().setPortrait(layout);
    }

    test::StudioHarness harness;
    CameraSetupControls controls{studio(), studio().webcam()};
};

TEST_F(CameraSetupControlsTest, AScreenTakeWithTheCameraOffShowsOnlyTheToggle) {
    EXPECT_TRUE(controls.cameraToggle()->isVisible());
    EXPECT_FALSE(controls.cameraToggle()->isChecked());
    EXPECT_FALSE(controls.heading()->isVisible());
    EXPECT_FALSE(controls.body()->isVisible());
    EXPECT_FALSE(controls.spinner()->isVisible());

    controls.cameraToggle()->click();
    EXPECT_TRUE(studio().cameraEnabled());
    EXPECT_EQ(feed().starts.size(), 1u) << "switching it on starts the camera";
    EXPECT_TRUE(controls.body()->isVisible());
    controls.cameraToggle()->click();
    EXPECT_EQ(feed().stops, 1);
}

TEST_F(CameraSetupControlsTest, TheThumbnailTakesThePortraitsShape) {
    cameraRunning(PortraitShape::rectangle);
    ASSERT_TRUE(controls.thumbnail()->isVisible());
    EXPECT_EQ(controls.thumbnail()->size(), QSize(134, 84));
    EXPECT_EQ(controls.statusLine()->text(), QStringLiteral("合成摄像头 · 640 × 360"));
    controls.shapePicker()->segment(0)->click();
    EXPECT_EQ(studio().portrait().shape, PortraitShape::circle);
    EXPECT_EQ(controls.thumbnail()->size(), QSize(84, 84));
    EXPECT_DOUBLE_EQ(controls.thumbnail()->cornerRadius(), 42);
    EXPECT_FALSE(controls.retryButton()->isVisible()) << "the camera runs";
    EXPECT_TRUE(controls.hint()->isVisible());
    EXPECT_FALSE(controls.framingControls()->isVisible());
}

TEST_F(CameraSetupControlsTest, TheSizeReadsInWholePercentNeverRoundedUp) {
    cameraRunning();
    EXPECT_EQ(controls.sizeText()->text(), QStringLiteral("23%"));
    PortraitLayout layout = studio().portrait();
    layout.width = 0.299;
    studio().setPortrait(layout);
    EXPECT_EQ(controls.sizeText()->text(), QStringLiteral("29%"));
    layout.width = 0.29;
    studio().setPortrait(layout);
    EXPECT_EQ(controls.sizeText()->text(), QStringLiteral("29%"));
    controls.sizeSlider()->setValue(0);
    EXPECT_DOUBLE_EQ(studio().portrait().width, 0.12) << "the slider stops at 12 %";
    controls.sizeSlider()->setValue(900);
    EXPECT_DOUBLE_EQ(studio().portrait().width, 0.5);
    controls.mirrorToggle()->click();
    EXPECT_FALSE(studio().portrait().mirrored);
}

// The slider counts thousandths; a screen reader reads and sets percent.
TEST_F(CameraSetupControlsTest, ScreenReadersReadAndSetTheSizeInPercent) {
    cameraRunning();
    QAccessibleValueInterface* size = QAccessible::queryAccessibleInterface(controls.sizeSlider())->valueInterface();
    ASSERT_NE(size, nullptr);
    EXPECT_DOUBLE_EQ(size->currentValue().toDouble(), 23);
    EXPECT_DOUBLE_EQ(size->minimumValue().toDouble(), 12);
    EXPECT_DOUBLE_EQ(size->maximumValue().toDouble(), 50);
    size->setCurrentValue(31);
    EXPECT_DOUBLE_EQ(studio().portrait().width, 0.31);
    EXPECT_EQ(controls.sizeText()->text(), QStringLiteral("31%"));

    // The screen cuts tenths of a percent short, and so do the reader and the arrow keys.
    PortraitLayout layout = studio().portrait();
    layout.width = 0.299;
    studio().setPortrait(layout);
    EXPECT_DOUBLE_EQ(size->currentValue().toDouble(), 29);
    EXPECT_DOUBLE_EQ(size->minimumStepSize().toDouble(), 1);
    layout.width = 0.29;
    studio().setPortrait(layout);
    QTest::keyClick(controls.sizeSlider(), Qt::Key_Right);
    EXPECT_EQ(controls.sizeText()->text(), QStringLiteral("30%"));
}

TEST_F(CameraSetupControlsTest, ACameraOnlyTakeHasAHeadingAndTheFramingControls) {
    studio().setScope(RecordingScope::camera);
    feed().answer(true);
    EXPECT_TRUE(controls.heading()->isVisible());
    EXPECT_EQ(controls.heading()->text(), QStringLiteral("摄像头口播"));
    EXPECT_FALSE(controls.cameraToggle()->isVisible());
    EXPECT_FALSE(controls.thumbnail()->isVisible());
    EXPECT_FALSE(controls.shapePicker()->isVisible());
    EXPECT_FALSE(controls.sizeSlider()->isVisible());
    EXPECT_TRUE(controls.mirrorToggle()->isVisible());
    EXPECT_TRUE(controls.framingControls()->isVisible());
    EXPECT_TRUE(controls.framingControls()->sourcePreview()->redrawing());
    EXPECT_FALSE(controls.hint()->isVisible());
}

TEST_F(CameraSetupControlsTest, ACameraThatDoesNotRunOffersARetryButNotWhilePreparing) {
    studio().setCameraEnabled(true);
    feed().statusText = QStringLiteral("摄像头被其他应用占用或暂时不可用。");
    feed().answer(false);
    EXPECT_TRUE(controls.retryButton()->isVisible());
    EXPECT_TRUE(controls.settingsButton()->isVisible());
    EXPECT_FALSE(controls.thumbnail()->isVisible());
    EXPECT_EQ(controls.statusLine()->text(), QStringLiteral("摄像头被其他应用占用或暂时不可用。"));
    controls.retryButton()->click();
    EXPECT_EQ(feed().starts.size(), 2u);
    controls.settingsButton()->click();
    EXPECT_TRUE(controls.isVisible()) << "there is no settings pane to open: nothing happens";

    feed().isPreparing = true;
    feed().becomeReady(false);
    EXPECT_TRUE(controls.spinner()->isVisible());
    EXPECT_FALSE(controls.retryButton()->isVisible());
}

// A machine without a camera: the feed's start fails on its own queue.
TEST(CameraSetupWithoutCameraTest, TheSentenceShowsAndNothingHangs) {
    test::StudioHarness harness;
    WebcamDevices devices;
    devices.openCamera = [](CameraCapture::Picture, CameraCapture::Failed) -> std::unique_ptr<CameraCapture> {
        throw ShotError(CameraMessages::noCamera());
    };
    StudioParts parts;
    parts.webcam = std::make_unique<LiveWebcamFeed>(devices);
    RecordingStudio studio(harness.model, std::move(parts));
    CameraSetupControls controls(studio, studio.webcam());
    controls.resize(720, 700);
    controls.show();
    studio.setScope(RecordingScope::camera);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controls.retryButton()->isVisible(); }, 5000));
    EXPECT_EQ(controls.statusLine()->text(), QStringLiteral("没有找到摄像头，请确认设备已连接。"));
    EXPECT_FALSE(controls.spinner()->isVisible());
    CameraFramingPreviewView& preview = *controls.framingControls()->outputPreview();
    EXPECT_EQ(preview.grab().toImage().pixel(preview.width() / 2, 100), darkGrey)
        << "the previews stay dark";
    test::writeSample(controls, QStringLiteral("camera-setup-no-camera"));
}

TEST_F(CameraSetupControlsTest, Samples) {
    if (!test::samplesWanted()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the samples";
    cameraRunning();
    test::writeSample(controls, QStringLiteral("camera-setup-screen"));
    controls.resize(720, 720);
    studio().setScope(RecordingScope::camera);
    feed().answer(true);
    test::writeSample(controls, QStringLiteral("camera-setup-camera-only"));
}

}  // namespace
