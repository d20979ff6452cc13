// The effect controls edit the value they are bound to and show it in
// their own formats.
#include "editor_ui/SteppedSlider.h"
#include "recording_ui/RecordingEffectControls.h"

#include <QCheckBox>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class RecordingEffectControlsTest : public testing::Test {
protected:
    RecordingEffects effects;
    int writes = 0;
    RecordingEffectControls controls{[this] { return effects; },
                                     [this](const RecordingEffects& value) {
                                         effects = value;
                                         ++writes;
                                     }};
};

TEST_F(RecordingEffectControlsTest, TheDefaultsReadAsDesigned) {
    EXPECT_TRUE(controls.zoomToggle()->isChecked());
    EXPECT_TRUE(controls.blurToggle()->isChecked());
    EXPECT_EQ(controls.zoomText(), QStringLiteral("1.65×"));
    EXPECT_EQ(controls.paddingText(), QStringLiteral("6%"));
    EXPECT_EQ(controls.blurText(), QStringLiteral("24"));
    EXPECT_EQ(writes, 0) << "showing writes nothing";
}

TEST_F(RecordingEffectControlsTest, TheLimitsReadAsDesigned) {
    effects.zoom = 2.2;
    effects.padding = 0.14;
    effects.blur = 48;
    controls.refresh();
    EXPECT_EQ(controls.zoomText(), QStringLiteral("2.20×"));
    EXPECT_EQ(controls.paddingText(), QStringLiteral("14%"));
    EXPECT_EQ(controls.blurText(), QStringLiteral("48"));
}

TEST_F(RecordingEffectControlsTest, SlidersWriteAtOnceOnTheirSteps) {
    controls.zoomSlider()->setValue(200);
    EXPECT_DOUBLE_EQ(effects.zoom, 2.0);
    EXPECT_EQ(controls.zoomText(), QStringLiteral("2.00×"));
    controls.paddingSlider()->setValue(10);
    EXPECT_DOUBLE_EQ(effects.padding, 0.10);
    controls.blurSlider()->setValue(31);
    EXPECT_DOUBLE_EQ(effects.blur, 32) << "the blur moves in steps of 2";
    EXPECT_EQ(controls.zoomSlider()->accessibleName(), QStringLiteral("自动放大倍数"));
    EXPECT_EQ(controls.blurSlider()->accessibleName(), QStringLiteral("背景柔焦强度"));
}

TEST_F(RecordingEffectControlsTest, ATogglesRowsComeBackWithTheirValues) {
    controls.show();
    effects.zoom = 1.9;
    effects.padding = 0.12;
    controls.refresh();
    controls.zoomToggle()->click();
    controls.blurToggle()->click();
    EXPECT_FALSE(effects.autoZoom);
    EXPECT_FALSE(effects.backgroundBlur);
    EXPECT_FALSE(controls.zoomSlider()->isVisible());
    EXPECT_FALSE(controls.paddingSlider()->isVisible());
    EXPECT_FALSE(controls.blurSlider()->isVisible());

    controls.zoomToggle()->click();
    controls.blurToggle()->click();
    EXPECT_TRUE(controls.zoomSlider()->isVisible());
    EXPECT_EQ(controls.zoomText(), QStringLiteral("1.90×"));
    EXPECT_EQ(controls.paddingText(), QStringLiteral("12%"));
    EXPECT_EQ(effects.zoom, 1.9);
}

}  // namespace
