// The teleprompter's content: its header and commands by phase, its
// transparency, and the scrolling of the notes tick by tick.
#include "editor_ui/SteppedSlider.h"
#include "platform/Fonts.h"
#include "recording_ui/PrompterScrollView.h"
#include "recording_ui/RecordingActionButton.h"
#include "recording_ui/TeleprompterView.h"
#include "tests/recording_ui/RecordingWindowsHarness.h"

#include <QLabel>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

QString longNotes() {
    QStringList lines;
    for (int line = 1; line <= 80; ++line) lines.append(QStringLiteral("第 %1 行讲稿，慢慢读。").arg(line));
    return lines.join(QLatin1Char('\n'));
}

class TeleprompterViewTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(take.prepare());
        view.resize(470, 310);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    test::TestStudio& studio() { return take.studio(); }
    PrompterScrollView& text() { return view.text(); }
    void ticks(int count) {
        for (int tick = 0; tick < count; ++tick) text().tick();
    }

    test::TakeDriver take;
    TeleprompterView view{take.studio()};
};

TEST_F(TeleprompterViewTest, ThePreviewOffersOnlyToCloseIt) {
    EXPECT_EQ(view.title(), QStringLiteral("提词器预览"));
    EXPECT_FALSE(view.pauseButton()->isVisibleTo(&view));
    EXPECT_EQ(view.stopButton()->text(), QStringLiteral("关闭预览"));

    studio().previewNotes();
    studio().setNotesScrolling(true);
    view.stopButton()->click();
    EXPECT_FALSE(studio().notesVisible());
    EXPECT_FALSE(studio().notesScrolling()) << "closing the preview stops the scrolling";
    EXPECT_EQ(take.harness.overlayCalls.back(), QStringLiteral("hideNotes"));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
}

TEST_F(TeleprompterViewTest, TheHeaderFollowsTheTake) {
    take.countdown();
    EXPECT_EQ(view.title(), QStringLiteral("准备录制…"));
    EXPECT_EQ(view.stopButton()->text(), QStringLiteral("取消"));
    take.harness.clock.advance(Seconds(3));
    take.harness.recorder->started();
    take.recorded(3725);
    EXPECT_EQ(view.title(), QStringLiteral("正在录制 · 62:05"));
    ASSERT_TRUE(view.pauseButton()->isVisibleTo(&view));
    EXPECT_EQ(view.pauseButton()->text(), QStringLiteral("暂停"));
    EXPECT_EQ(view.stopButton()->text(), QStringLiteral("停止录制"));
    EXPECT_TRUE(view.scrollButton()->isEnabled());

    view.pauseButton()->click();
    EXPECT_EQ(view.title(), QStringLiteral("暂停中…"));
    EXPECT_FALSE(view.scrollButton()->isEnabled());
    take.pauseDone();
    EXPECT_EQ(view.title(), QStringLiteral("录屏已暂停"));
    EXPECT_EQ(view.pauseButton()->text(), QStringLiteral("继续录制"));
    EXPECT_TRUE(view.pauseButton()->actionStyle().positive);
    EXPECT_TRUE(view.pauseButton()->actionStyle().compact);

    view.stopButton()->click();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::stopping));
    EXPECT_EQ(view.title(), QStringLiteral("保存中…"));
    EXPECT_FALSE(view.stopButton()->isEnabled());
}

TEST_F(TeleprompterViewTest, TransparencyClearsTheBackgroundOnly) {
    studio().setNotesTransparency(0.65);
    EXPECT_NEAR(view.backgroundOpacity(), 0.35, 1e-9);
    EXPECT_EQ(view.transparency().valueText(), QStringLiteral("65%"));
    view.transparency().clearButton()->click();
    EXPECT_EQ(studio().notesTransparency(), 1.0);
    EXPECT_EQ(view.transparency().valueText(), QStringLiteral("100%"));
    EXPECT_EQ(view.backgroundOpacity(), 0.0);
}

TEST_F(TeleprompterViewTest, TheTransparencyCaptionsAreLightInThePanelAndDarkInTheLightSetUp) {
    const QColor inPanel = view.transparency().valueLabel()->palette().color(QPalette::WindowText);
    EXPECT_GT(inPanel.lightnessF(), 0.9);

    QWidget sheet;
    QPalette light = sheet.palette();
    light.setColor(QPalette::Window, Qt::white);
    light.setColor(QPalette::WindowText, QColor(30, 30, 30));
    sheet.setPalette(light);
    const PrompterTransparencyControl inSheet(studio(), &sheet);
    EXPECT_EQ(inSheet.valueLabel()->palette().color(QPalette::WindowText), QColor(30, 30, 30))
        << "white on the light set-up could not be read";
}

TEST_F(TeleprompterViewTest, TheNotesMoveBySpeedOverThirtyEachTickInFractionsOfAPoint) {
    studio().setNotes(longNotes());
    ASSERT_GT(text().end(), 500);
    studio().setNotesScrolling(true);
    ticks(1);
    EXPECT_NEAR(text().offset(), 28.0 / 30, 1e-9) << "less than a point is kept, not lost";
    ticks(29);
    EXPECT_NEAR(text().offset(), 28, 1e-6) << "28 points a second";
    EXPECT_EQ(text().verticalScrollBar()->value(), 28);

    studio().setNotesSpeed(30);
    ticks(30);
    EXPECT_NEAR(text().offset(), 58, 1e-6) << "one point a tick at speed 30";
}

TEST_F(TeleprompterViewTest, ScrollingStopsAtTheEndOfTheNotes) {
    studio().setNotes(longNotes());
    studio().setNotesSpeed(80);
    studio().setNotesScrolling(true);
    const int needed = int(std::ceil(text().end() / (80.0 / 30)));
    ticks(needed - 1);
    EXPECT_TRUE(studio().notesScrolling());
    ticks(1);
    EXPECT_DOUBLE_EQ(text().offset(), text().end());
    EXPECT_FALSE(studio().notesScrolling()) << "the end switches scrolling off";
    EXPECT_EQ(view.scrollButton()->text(), QStringLiteral("滚动提词"));
}

TEST_F(TeleprompterViewTest, ShortNotesStopAtTheFirstTick) {
    studio().setNotes(QStringLiteral("一句话。"));
    studio().setNotesScrolling(true);
    EXPECT_EQ(view.scrollButton()->text(), QStringLiteral("暂停提词"));
    ticks(1);
    EXPECT_EQ(text().offset(), 0);
    EXPECT_FALSE(studio().notesScrolling());
}

TEST_F(TeleprompterViewTest, NothingMovesWhileHiddenPausedOrSwitchedOff) {
    studio().setNotes(longNotes());
    ticks(10);
    EXPECT_EQ(text().offset(), 0) << "scrolling is off";

    studio().setNotesScrolling(true);
    view.hide();
    ticks(10);
    EXPECT_EQ(text().offset(), 0) << "a hidden panel keeps its place";
    EXPECT_TRUE(studio().notesScrolling());
    view.show();
    ticks(3);
    EXPECT_NEAR(text().offset(), 2.8, 1e-9);

    take.countdown();
    studio().setNotesScrolling(true);
    const double before = text().offset();
    ticks(10);
    EXPECT_EQ(text().offset(), before) << "the countdown holds the text";
}

TEST_F(TeleprompterViewTest, FromTheTopRewindsAndANewSizeKeepsThePlace) {
    studio().setNotes(longNotes());
    studio().setNotesScrolling(true);
    ticks(60);
    const double place = text().offset();
    ASSERT_GT(place, 50);
    studio().setNotesSize(30);
    EXPECT_EQ(text().offset(), place) << "a new size re-lays the text without rewinding";
    view.rewindButton()->click();
    EXPECT_EQ(text().offset(), 0);
    EXPECT_TRUE(studio().notesScrolling()) << "the rewind leaves the scrolling as it was";
}

TEST_F(TeleprompterViewTest, EmptyNotesShowThePlaceholder) {
    studio().setNotes(QString());
    EXPECT_EQ(text().toPlainText(), QStringLiteral("在录屏设置中填入讲稿。\n\n这里的文字只有你能看到。"));
    studio().setNotesSize(40);
    EXPECT_EQ(text().document()->defaultFont(), Fonts::system(40, FontWeight::medium, text().logicalDpiY()));
}

TEST_F(TeleprompterViewTest, TheSlidersSetSpeedAndSize) {
    view.speedSlider()->setValue(500);
    EXPECT_DOUBLE_EQ(studio().notesSpeed(), 50);
    view.sizeSlider()->setValue(33);
    EXPECT_DOUBLE_EQ(studio().notesSize(), 33);
    EXPECT_EQ(view.speedSlider()->accessibleName(), QStringLiteral("提词速度"));
}

}  // namespace
