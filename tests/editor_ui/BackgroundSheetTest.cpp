// The background sheet: its defaults and controls, when it lets the user
// apply, the keys that apply and cancel, and previews that arrive late.
#include "editor_ui/BackgroundPreview.h"
#include "editor_ui/BackgroundSheet.h"
#include "editor_ui/FrameSwatch.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/Sidebar.h"
#include "editor_ui/SteppedSlider.h"
#include "editor_ui/ToolPanel.h"
#include "tests/editor_ui/FocusMarks.h"
#include "tests/editor_ui/MainViewFixture.h"
#include "tests/editor_ui/Samples.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <vector>

using namespace tavero;

namespace {

const QString tooLarge = QStringLiteral("图片过大。请缩小截图区域，或分成两张长图。");

// A sheet on its own, recording what it hands back.
struct StandaloneSheet {
    explicit StandaloneSheet(const QImage& source)
        : sheet(source, [this](const FrameOptions& options) { applied.push_back(options); }, [this] { ++dismissed; }) {
        sheet.show();
    }

    bool waitForAnswer() {
        QSignalSpy answered(&sheet, &BackgroundSheet::previewAnswered);
        return answered.wait(5000);
    }

    std::vector<FrameOptions> applied;
    int dismissed = 0;
    BackgroundSheet sheet;
};

// Steps a slider with the keyboard, as the user would.
void press(SteppedSlider* slider, Qt::Key key, int times = 1) {
    for (int time = 0; time < times; ++time) QTest::keyClick(slider, key);
}

TEST(BackgroundSheetTest, OpensOnPeachWithTheDefaultMarginAndRadius) {
    StandaloneSheet open(fixtures::screenshotLike(300, 200));
    BackgroundSheet& sheet = open.sheet;
    EXPECT_EQ(sheet.options(), FrameOptions{});
    EXPECT_TRUE(sheet.presetButton(FramePreset::peach)->isChosen());
    EXPECT_EQ(sheet.presetButton(FramePreset::peach)->accessibleName(), QStringLiteral("蜜桃渐变"));
    EXPECT_EQ(sheet.presetButton(FramePreset::mint)->accessibleName(), QStringLiteral("浅绿纯色背景"));
    EXPECT_EQ(sheet.presetButtons().size(), 8);
    EXPECT_EQ(sheet.marginLabel()->text(), QStringLiteral("96 px"));
    EXPECT_EQ(sheet.cornerLabel()->text(), QStringLiteral("20 px"));
    EXPECT_EQ(sheet.sizeLabel()->text(), QStringLiteral("492 × 392 px · 保留截图原始像素"));
    EXPECT_EQ(sheet.footnote()->text(), QStringLiteral("应用后可按 Ctrl+Z 撤销"));
    EXPECT_FALSE(sheet.applyButton()->isEnabled()) << "no preview yet";

    ASSERT_TRUE(open.waitForAnswer());
    EXPECT_EQ(sheet.preview().size(), QSize(492, 392));
    EXPECT_TRUE(sheet.applyButton()->isEnabled());
    test::writeSample(sheet, QStringLiteral("background-sheet"));
}

TEST(BackgroundSheetTest, TheSlidersStayInTheirRangesAndSteps) {
    StandaloneSheet open(fixtures::screenshotLike(300, 200));
    BackgroundSheet& sheet = open.sheet;
    press(sheet.marginSlider(), Qt::Key_End);
    EXPECT_EQ(sheet.options().padding, 240);
    press(sheet.marginSlider(), Qt::Key_Right);
    EXPECT_EQ(sheet.options().padding, 240);
    press(sheet.marginSlider(), Qt::Key_Home);
    EXPECT_EQ(sheet.options().padding, 24);
    press(sheet.marginSlider(), Qt::Key_Right);
    EXPECT_EQ(sheet.options().padding, 32);
    EXPECT_EQ(sheet.marginLabel()->text(), QStringLiteral("32 px"));
    EXPECT_EQ(sheet.sizeLabel()->text(), QStringLiteral("364 × 264 px · 保留截图原始像素"));

    press(sheet.cornerSlider(), Qt::Key_End);
    EXPECT_EQ(sheet.options().cornerRadius, 48);
    press(sheet.cornerSlider(), Qt::Key_Home);
    EXPECT_EQ(sheet.options().cornerRadius, 0);
    press(sheet.cornerSlider(), Qt::Key_Right);
    EXPECT_EQ(sheet.options().cornerRadius, 2);
    EXPECT_EQ(sheet.cornerSlider()->stepCount(), 24);
    EXPECT_EQ(sheet.marginSlider()->stepCount(), 27);
    for (int step = 0; step <= sheet.marginSlider()->stepCount(); ++step)
        EXPECT_EQ(int(sheet.marginSlider()->valueAtStep(step)) % 8, 0);
}

TEST(BackgroundSheetTest, SolidColoursDisableTheDirectionAndGradientsKeepIt) {
    StandaloneSheet open(fixtures::screenshotLike(300, 200));
    BackgroundSheet& sheet = open.sheet;
    sheet.directionPicker()->segment(2)->click();
    EXPECT_EQ(sheet.options().direction, GradientDirection::vertical);

    sheet.presetButton(FramePreset::night)->click();
    EXPECT_FALSE(sheet.directionPicker()->isEnabled());
    EXPECT_TRUE(sheet.presetButton(FramePreset::night)->isChosen());
    EXPECT_FALSE(sheet.presetButton(FramePreset::peach)->isChosen());
    sheet.presetButton(FramePreset::mint)->click();
    EXPECT_FALSE(sheet.directionPicker()->isEnabled());

    sheet.presetButton(FramePreset::sea)->click();
    EXPECT_TRUE(sheet.directionPicker()->isEnabled());
    EXPECT_EQ(sheet.options().direction, GradientDirection::vertical) << "the last direction is kept";
    EXPECT_EQ(sheet.directionPicker()->selected(), 2);
}

// The preview is made from a reduced copy, but the frame is applied at full
// size: a result beyond the limits is refused before the user can apply it.
// A screen reader hears which background is chosen, and its press chooses
// one as a click does.
TEST(BackgroundSheetTest, ScreenReadersHearTheChosenBackgroundAndChooseAnother) {
    StandaloneSheet open(fixtures::screenshotLike(300, 200));
    BackgroundSheet& sheet = open.sheet;
    const auto reader = [](QWidget* control) { return QAccessible::queryAccessibleInterface(control); };
    const auto checked = [&] {
        QList<FramePreset> presets;
        for (FramePresetButton* button : sheet.presetButtons())
            if (reader(button)->state().checked) presets.append(button->preset());
        return presets;
    };
    EXPECT_EQ(checked(), QList<FramePreset>{FramePreset::peach});
    reader(sheet.presetButton(FramePreset::night))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(sheet.options().preset, FramePreset::night);
    EXPECT_EQ(checked(), QList<FramePreset>{FramePreset::night});
    sheet.presetButton(FramePreset::night)->click();
    EXPECT_EQ(checked(), QList<FramePreset>{FramePreset::night}) << "still chosen";
}

TEST(BackgroundSheetTest, AFullSizeResultBeyondTheLimitsIsRefusedInThePreview) {
    StandaloneSheet open(fixtures::screenshotLike(100, 31900));
    BackgroundSheet& sheet = open.sheet;
    ASSERT_TRUE(open.waitForAnswer());
    EXPECT_EQ(sheet.previewError(), tooLarge);
    EXPECT_EQ(sheet.footnote()->text(), tooLarge);
    EXPECT_FALSE(sheet.applyButton()->isEnabled());
    sheet.applyButton()->click();
    EXPECT_TRUE(open.applied.empty());

    press(sheet.marginSlider(), Qt::Key_Home);
    ASSERT_TRUE(open.waitForAnswer());
    EXPECT_FALSE(sheet.previewError());
    EXPECT_FALSE(sheet.preview().isNull());
    EXPECT_TRUE(sheet.applyButton()->isEnabled());
    EXPECT_EQ(sheet.footnote()->text(), QStringLiteral("应用后可按 Ctrl+Z 撤销"));

    press(sheet.marginSlider(), Qt::Key_End);
    ASSERT_TRUE(open.waitForAnswer());
    EXPECT_EQ(sheet.previewError(), tooLarge);
    EXPECT_FALSE(sheet.preview().isNull()) << "the last good preview stays in view";
    EXPECT_FALSE(sheet.applyButton()->isEnabled());
}

TEST(BackgroundSheetTest, RapidChangesShowOnlyTheLastPreview) {
    StandaloneSheet open(fixtures::screenshotLike(300, 200));
    BackgroundSheet& sheet = open.sheet;
    ASSERT_TRUE(open.waitForAnswer());
    press(sheet.marginSlider(), Qt::Key_Right, 6);
    ASSERT_EQ(sheet.options().padding, 144);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.preview().size() == QSize(588, 488); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(sheet.preview().size(), QSize(588, 488)) << "no earlier preview came after it";
}

TEST(BackgroundPreviewTest, ALateAnswerOfSupersededOptionsIsDropped) {
    // The first request is slow, so it finishes after the second.
    const auto work = [](const FrameOptions& options) {
        if (options.padding == 24) QThread::msleep(300);
        return QImage(int(options.padding), 10, QImage::Format_ARGB32);
    };
    BackgroundPreview preview(work, nullptr);
    QSignalSpy previewed(&preview, &BackgroundPreview::previewed);
    preview.request(FrameOptions{FramePreset::peach, 24, 20});
    preview.request(FrameOptions{FramePreset::peach, 240, 20});
    ASSERT_TRUE(previewed.wait(5000));
    QTest::qWait(500);
    ASSERT_EQ(previewed.count(), 1);
    EXPECT_EQ(previewed.first().first().value<QImage>().width(), 240);
}

class BackgroundSheetInWindowTest : public test::MainViewTest {
protected:
    // Opens the sheet from the tool panel and waits for its first preview.
    BackgroundSheet* openSheet() {
        view->sidebar()->toolPanel()->backgroundButton()->click();
        if (!QTest::qWaitFor([&] { return openSheets().size() == 1; }, 5000)) return nullptr;
        auto* sheet = openSheets().first()->findChild<BackgroundSheet*>();
        if (!sheet || !QTest::qWaitFor([&] { return sheet->applyButton()->isEnabled(); }, 5000)) return nullptr;
        return sheet;
    }
};

TEST_F(BackgroundSheetInWindowTest, ReturnAppliesTheFrameAndEscapeCancels) {
    openPicture(fixtures::screenshotLike(400, 300));
    view->show();
    BackgroundSheet* sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    QTest::keyClick(openSheets().first(), Qt::Key_Escape);
    EXPECT_FALSE(state().backgroundPresented());
    EXPECT_TRUE(QTest::qWaitFor([&] { return openSheets().isEmpty(); }, 1000));
    EXPECT_EQ(document().image().size(), QSize(400, 300)) << "cancelled";

    sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->options(), FrameOptions{}) << "every opening starts from the defaults";
    sheet->presetButton(FramePreset::night)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->applyButton()->isEnabled(); }, 5000));
    QTest::keyClick(openSheets().first(), Qt::Key_Return);
    EXPECT_FALSE(state().backgroundPresented());
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(400 + 192, 300 + 192));
    EXPECT_TRUE(model().status().startsWith(QStringLiteral("已添加") + title(FramePreset::night)));
}

TEST(BackgroundSheetTest, EveryDirectionAndPresetShowsTheFocusMark) {
    StandaloneSheet open(fixtures::screenshotLike(300, 200));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
    QList<QWidget*> controls;
    for (int index = 0; index < open.sheet.directionPicker()->count(); ++index)
        controls.append(open.sheet.directionPicker()->segment(index));
    for (FramePresetButton* button : open.sheet.presetButtons()) controls.append(button);
    EXPECT_EQ(controls.size(), 3 + 6 + 2);
    for (QWidget* control : controls)
        EXPECT_GE(test::markPixelsByTab(*control), test::smallestMark) << test::described(*control).toStdString();
}

}  // namespace
