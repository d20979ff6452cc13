// The framing controls edit the studio's camera framing, one assignment
// per edit, and show it back.
#include "recording_ui/CameraAspectButton.h"
#include "recording_ui/CameraFramingControls.h"
#include "recording_ui/CameraFramingPreviewView.h"
#include "tests/editor_ui/FocusMarks.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/recording_ui/CameraTestFeed.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class CameraFramingControlsTest : public testing::Test {
protected:
    CameraFramingControlsTest() {
        studio().webcam().accept(test::quarterCard(), MonotonicTime());
        controls.resize(720, 520);
        controls.show();
    }

    test::TestStudio& studio() { return harness.studio(); }
    const CameraFraming& framing() { return studio().cameraFraming(); }

    void type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, text);
    }

    test::StudioHarness harness;
    CameraFramingControls controls{studio()};
};

TEST_F(CameraFramingControlsTest, ChoosingCustomFillsTheFieldsWithTheSizeLeft) {
    EXPECT_FALSE(controls.customRow()->isVisible());
    EXPECT_TRUE(controls.aspectButton(CameraAspect::landscape169)->current());
    controls.aspectButton(CameraAspect::custom)->click();
    EXPECT_TRUE(controls.customRow()->isVisible());
    EXPECT_EQ(controls.widthField()->text(), QStringLiteral("1920"));
    EXPECT_EQ(controls.heightField()->text(), QStringLiteral("1080"));
    EXPECT_TRUE(controls.aspectButton(CameraAspect::custom)->current());
    EXPECT_FALSE(controls.aspectButton(CameraAspect::landscape169)->current());

    controls.aspectButton(CameraAspect::square)->click();
    EXPECT_FALSE(controls.customRow()->isVisible());
    EXPECT_EQ(framing().customWidth, 1920) << "the typed size stays in the framing";
    EXPECT_EQ(controls.sizeLabel()->text(), QStringLiteral("成片 1080 × 1080"));
}

TEST_F(CameraFramingControlsTest, AScreenReadersToggleOnATileChoosesItsAspect) {
    const auto reader = [&](CameraAspect aspect) {
        return QAccessible::queryAccessibleInterface(controls.aspectButton(aspect));
    };
    EXPECT_EQ(reader(CameraAspect::square)->role(), QAccessible::RadioButton);
    EXPECT_EQ(reader(CameraAspect::square)->text(QAccessible::Name), rawValue(CameraAspect::square));
    reader(CameraAspect::square)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(framing().aspect, CameraAspect::square);
    EXPECT_EQ(controls.sizeLabel()->text(), QStringLiteral("成片 1080 × 1080"));
    int checked = 0;
    for (const CameraAspect aspect : allCameraAspects) checked += reader(aspect)->state().checked ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(reader(CameraAspect::square)->state().checked);
}

TEST_F(CameraFramingControlsTest, AnOutOfRangeSizeShowsTheRedSentenceUntilCorrected) {
    controls.aspectButton(CameraAspect::custom)->click();
    type(controls.heightField(), QStringLiteral("1440"));
    type(controls.widthField(), QStringLiteral("63"));
    EXPECT_EQ(framing().customWidth, 63) << "taken as typed, unclamped";
    EXPECT_TRUE(controls.issueLabel()->isVisible());
    EXPECT_EQ(controls.issueLabel()->text(), QStringLiteral("宽和高请填写 64～4096 像素。"));
    EXPECT_GT(controls.issueLabel()->palette().color(QPalette::WindowText).redF(), 0.9);

    type(controls.widthField(), QStringLiteral("1001"));
    EXPECT_FALSE(controls.issueLabel()->isVisible());
    EXPECT_EQ(controls.sizeLabel()->text(), QStringLiteral("成片 1000 × 1440"));
    EXPECT_EQ(controls.widthField()->text(), QStringLiteral("1001")) << "the field keeps what was typed";
    EXPECT_EQ(CameraFraming::load(), framing()) << "a valid size is saved";
}

TEST_F(CameraFramingControlsTest, LettersOrAnEmptyFieldCountAsNothing) {
    controls.aspectButton(CameraAspect::custom)->click();
    type(controls.widthField(), QStringLiteral("12a"));
    EXPECT_EQ(framing().customWidth, 0);
    EXPECT_TRUE(controls.issueLabel()->isVisible());
    EXPECT_EQ(controls.widthField()->text(), QStringLiteral("12a")) << "the text is not rewritten under the typing";
    type(controls.heightField(), QString());
    EXPECT_EQ(framing().customHeight, 0);
    EXPECT_EQ(CameraFramingControls::parsedSize(QStringLiteral("+80")), 80);
    EXPECT_EQ(CameraFramingControls::parsedSize(QStringLiteral("-80")), -80);
    EXPECT_EQ(CameraFramingControls::parsedSize(QStringLiteral(" 80")), 0);
    EXPECT_EQ(CameraFramingControls::parsedSize(QStringLiteral("99999999999999999999")), 0) << "too large";
}

TEST_F(CameraFramingControlsTest, TheZoomSliderAndTextFollowTheCropScale) {
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("1.0×"));
    CameraFraming zoomed = framing();
    zoomed.cropScale = 0.4;
    studio().setCameraFraming(zoomed);
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("2.5×"));
    EXPECT_EQ(controls.zoomSlider()->value(), 250);
    controls.zoomSlider()->setValue(1000);
    EXPECT_DOUBLE_EQ(framing().cropScale, 0.1);
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("10.0×"));
    EXPECT_EQ(controls.zoomSlider()->accessibleName(), QStringLiteral("取景放大倍数"));
}

// The slider counts hundredths; the screen shows tenths, and so do a screen
// reader and the arrow keys.
TEST_F(CameraFramingControlsTest, TheZoomReadsAndStepsAsTheScreenShowsIt) {
    QAccessibleValueInterface* zoom = QAccessible::queryAccessibleInterface(controls.zoomSlider())->valueInterface();
    ASSERT_NE(zoom, nullptr);
    EXPECT_DOUBLE_EQ(zoom->currentValue().toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(zoom->minimumValue().toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(zoom->maximumValue().toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(zoom->minimumStepSize().toDouble(), 0.1);

    CameraFraming zoomed = framing();
    zoomed.cropScale = 1 / 1.37;
    studio().setCameraFraming(zoomed);
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("1.4×"));
    EXPECT_DOUBLE_EQ(zoom->currentValue().toDouble(), 1.4);
    QTest::keyClick(controls.zoomSlider(), Qt::Key_Right);
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("1.5×"));
    QTest::keyClick(controls.zoomSlider(), Qt::Key_PageUp);
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("2.5×")) << "a page is ten steps";
}

TEST_F(CameraFramingControlsTest, DrawingACropSwitchesToCustomWithTheSameCrop) {
    controls.aspectButton(CameraAspect::portrait916)->click();
    const QRectF before = framing().cropRect(QSizeF(640, 360));
    controls.selectButton()->click();
    EXPECT_TRUE(controls.drawing());
    EXPECT_EQ(framing().aspect, CameraAspect::custom);
    EXPECT_EQ(framing().customWidth, 1080);
    EXPECT_EQ(framing().customHeight, 1920);
    EXPECT_EQ(framing().cropRect(QSizeF(640, 360)), before);
    EXPECT_EQ(controls.sourceCaption()->text(), QStringLiteral("拖出想录的范围"));
    EXPECT_EQ(controls.selectButton()->text(), QStringLiteral("取消框选"));

    CameraFramingPreviewView& source = *controls.sourcePreview();
    source.grab();
    const QRectF picture = source.imageRect();
    ASSERT_FALSE(picture.isEmpty());
    const auto at = [&picture](double x, double y) {
        return QPointF(picture.left() + x * picture.width(), picture.top() + y * picture.height());
    };
    test::drag(source, at(0.1, 0.2), at(0.6, 0.7));
    EXPECT_FALSE(controls.drawing()) << "releasing ends the drawing";
    EXPECT_EQ(controls.selectButton()->text(), QStringLiteral("自己框选范围"));
    EXPECT_EQ(controls.sourceCaption()->text(), QStringLiteral("拖动取景框调整构图"));
    const QRectF drawn = framing().cropRect(QSizeF(640, 360));
    EXPECT_NEAR(drawn.left(), 0.1, 0.01);
    EXPECT_NEAR(drawn.width(), 0.5, 0.01);
    EXPECT_EQ(CameraFraming::load(), framing()) << "the drawn crop is saved";
}

TEST_F(CameraFramingControlsTest, ResetCentresTheCropAndKeepsTheAspect) {
    controls.aspectButton(CameraAspect::square)->click();
    CameraFraming moved = framing();
    moved.centerX = 0.9;
    moved.centerY = 0.1;
    moved.cropScale = 0.5;
    studio().setCameraFraming(moved);
    controls.resetButton()->click();
    EXPECT_EQ(framing().aspect, CameraAspect::square);
    EXPECT_EQ(framing().centerX, 0.5);
    EXPECT_EQ(framing().centerY, 0.5);
    EXPECT_EQ(framing().cropScale, 1);
    EXPECT_EQ(controls.zoomText()->text(), QStringLiteral("1.0×"));
}

TEST_F(CameraFramingControlsTest, ThePreviewsFollowTheFramingAndTheMirror) {
    PortraitLayout layout = studio().portrait();
    layout.mirrored = false;
    studio().setPortrait(layout);
    EXPECT_FALSE(controls.sourcePreview()->mirrored());
    EXPECT_FALSE(controls.outputPreview()->mirrored());
    controls.aspectButton(CameraAspect::landscape43)->click();
    EXPECT_EQ(controls.outputPreview()->framing(), framing());
    EXPECT_EQ(controls.outputPreview()->accessibleName(), QStringLiteral("成片预览，1440 × 1080 像素"));
    EXPECT_TRUE(controls.sourcePreview()->showsSource());
    EXPECT_FALSE(controls.outputPreview()->showsSource());
}

TEST_F(CameraFramingControlsTest, Samples) {
    if (!test::samplesWanted()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the samples";
    CameraFraming framing;
    framing.choose(CameraAspect::portrait34);
    framing.centerX = 0.4;
    framing.cropScale = 0.8;
    studio().setCameraFraming(framing);
    test::writeSample(controls, QStringLiteral("camera-framing-controls"));
    controls.aspectButton(CameraAspect::custom)->click();
    type(controls.widthField(), QStringLiteral("63"));
    test::writeSample(controls, QStringLiteral("camera-framing-controls-custom"));
}

TEST_F(CameraFramingControlsTest, EveryControlTabReachesShowsItsFocus) {
    controls.aspectButton(CameraAspect::custom)->click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&controls));
    int reached = 0;
    const QStringList unmarked = test::unmarkedAlongTab(controls, &reached);
    EXPECT_GE(reached, int(allCameraAspects.size()) + 2);
    EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
