// The start screen: which controls rest while a capture is blocked, the way
// back to the current content, what each card's buttons start, the width of
// its content and the recording illustration's motion.
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "editor_ui/ShortcutActionButton.h"
#include "editor_ui/StartExample.h"
#include "editor_ui/StartView.h"
#include "editor_ui/TaskCard.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/StartActionButton.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/app/model/ScriptedStudio.h"
#include "tests/editor_ui/FocusMarks.h"

#include <QApplication>
#include <QScrollBar>
#include <QToolButton>

using namespace tavero;

namespace {

// A start screen over a model whose studio's phase the test sets. The screen
// asks for access first, so a screenshot or recording request stops at the
// explanation and leaves its intent for the test to read.
class StartViewTest : public ::testing::Test {
protected:
    StartViewTest() {
        harness.screen->setAccessGranted(false);
        harness.makeStudio = [this](RecordingHost& host) {
            auto made = std::make_unique<test::ScriptedStudio>(host);
            studio = made.get();
            return made;
        };
        view = std::make_unique<StartView>(model(), model().document(), [this] { ++filesChosen; });
        view->resize(1180, 722);
    }

    AppModel& model() { return harness.model(); }

    void openPicture() {
        model().document().open(ImageOps::demo(), QStringLiteral("新截图"));
    }

    // The capture and recording controls of both cards.
    QList<QAbstractButton*> captureControls() const {
        return {view->screenshotCard()->titleArea(), view->screenshotCard()->mainAction(),
                view->screenshotCard()->scrollingLink(), view->recordingCard()->titleArea(),
                view->recordingCard()->mainAction()};
    }

    // What a click asked for, then forgotten.
    std::optional<ScreenAccessIntent> takeIntent() {
        std::optional<ScreenAccessIntent> intent = model().screenAccessIntent();
        model().setScreenAccessIntent(std::nullopt);
        return intent;
    }

    test::ModelHarness harness;
    test::ScriptedStudio* studio = nullptr;
    std::unique_ptr<StartView> view;
    int filesChosen = 0;
};

TEST_F(StartViewTest, EveryOccupiedPhaseRestsTheCaptureControlsButNotTheSampleOrTheWayBack) {
    openPicture();
    const std::initializer_list<RecordingPhase> occupied{
        RecordingPhase::countdown(3),          RecordingPhase::Kind::starting, RecordingPhase::Kind::recording,
        RecordingPhase::Kind::pausing,         RecordingPhase::Kind::paused,   RecordingPhase::Kind::resuming,
        RecordingPhase::Kind::stopping,        RecordingPhase::Kind::restarting};
    for (const RecordingPhase phase : occupied) {
        studio->setPhase(phase);
        for (QAbstractButton* control : captureControls())
            EXPECT_FALSE(control->isEnabled()) << int(phase.kind()) << " " << control->accessibleName().toStdString();
        EXPECT_TRUE(view->sampleButton()->isEnabled()) << int(phase.kind());
        EXPECT_TRUE(view->resumeButton()->isEnabled()) << int(phase.kind());
        EXPECT_TRUE(view->openButton()->isEnabled());
        EXPECT_TRUE(view->pasteButton()->isEnabled());
    }
    studio->setPhase(RecordingPhase::Kind::idle);
    for (QAbstractButton* control : captureControls()) EXPECT_TRUE(control->isEnabled());

    // Busy, everything that starts something rests; the file row never does.
    harness.screen->setAccessGranted(true);
    model().refreshPermission();
    model().take(CaptureMode::area, false);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    for (QAbstractButton* control : captureControls()) EXPECT_FALSE(control->isEnabled());
    EXPECT_FALSE(view->sampleButton()->isEnabled());
    EXPECT_FALSE(view->resumeButton()->isEnabled());
    EXPECT_TRUE(view->openButton()->isEnabled());
    EXPECT_TRUE(view->pasteButton()->isEnabled());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_TRUE(view->sampleButton()->isEnabled());
}

TEST_F(StartViewTest, TheWayBackShowsWithContentAndPrefersTheVideo) {
    StartActionButton& back = *view->resumeButton();
    EXPECT_FALSE(back.isVisibleTo(view.get())) << "nothing to go back to at launch";

    openPicture();
    EXPECT_TRUE(back.isVisibleTo(view.get()));
    EXPECT_EQ(back.text(), QStringLiteral("继续编辑当前图片"));
    model().setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_EQ(back.text(), QStringLiteral("返回当前视频")) << "a video wins over a picture";
    model().document().open(QImage(), QStringLiteral("空"));
    EXPECT_EQ(back.text(), QStringLiteral("返回当前视频"));
    model().setVideoURL(std::nullopt);
    EXPECT_FALSE(back.isVisibleTo(view.get()));

    openPicture();
    model().goHome();
    ASSERT_TRUE(model().flow().showingHome);
    back.click();
    EXPECT_FALSE(model().flow().showingHome);
}

TEST_F(StartViewTest, EachCardButtonStartsItsCardsActionAndTheIllustrationNone) {
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    const auto screenshot = ScreenAccessIntent::screenshot(CaptureMode::area, false);

    // The gap between the title's texts and its badge belongs to the button.
    ShortcutActionButton& title = *view->screenshotCard()->titleArea();
    QTest::mouseClick(&title, Qt::LeftButton, {}, QPoint(title.width() * 2 / 3, title.height() / 2));
    EXPECT_EQ(takeIntent(), screenshot);
    QAbstractButton& keys = *view->screenshotCard()->mainAction();
    QTest::mouseClick(&keys, Qt::LeftButton, {}, QPoint(keys.width() - 4, keys.height() / 2));
    EXPECT_EQ(takeIntent(), screenshot);
    view->screenshotCard()->scrollingLink()->click();
    EXPECT_EQ(takeIntent(), ScreenAccessIntent::screenshot(CaptureMode::area, true)) << "only this one scrolls";

    ShortcutActionButton& recordingTitle = *view->recordingCard()->titleArea();
    QTest::mouseClick(&recordingTitle, Qt::LeftButton, {}, QPoint(recordingTitle.width() / 2, 4));
    EXPECT_EQ(takeIntent(), ScreenAccessIntent::recording(false));
    view->recordingCard()->mainAction()->click();
    EXPECT_EQ(takeIntent(), ScreenAccessIntent::recording(false));
    EXPECT_EQ(view->recordingCard()->scrollingLink(), nullptr);

    for (TaskCard* card : {view->screenshotCard(), view->recordingCard()}) {
        StartExample& example = *card->example();
        QTest::mouseClick(&example, Qt::LeftButton, {}, example.rect().center());
        EXPECT_EQ(takeIntent(), std::nullopt) << example.accessibleName().toStdString();
    }

    view->openButton()->click();
    EXPECT_EQ(filesChosen, 1);
}

TEST_F(StartViewTest, TheContentIsAtMost1120WideAndCentred) {
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    for (const int width : {1180, 2200}) {
        view->resize(width, 900);
        QApplication::processEvents();
        const QRect content(view->content()->mapTo(view.get(), QPoint(0, 0)), view->content()->size());
        const int room = view->viewport()->width();
        EXPECT_EQ(content.width(), StartView::maximumContentWidth) << width;
        EXPECT_NEAR(content.left(), (room - StartView::maximumContentWidth) / 2, 1) << width;
    }
    view->resize(1000, 900);
    QApplication::processEvents();
    EXPECT_EQ(view->content()->width(), view->viewport()->width()) << "a narrower window is filled";

    view->resize(1000, 400);
    QApplication::processEvents();
    EXPECT_GT(view->widget()->height(), view->viewport()->height()) << "a short window scrolls";
}

TEST_F(StartViewTest, TheRecordingPictureSwingsOnScreenAndStartsSmallAgainAfterLeaving) {
    StartExample& recording = *view->recordingCard()->example();
    StartExample& screenshot = *view->screenshotCard()->example();
    EXPECT_EQ(StartExample::cameraFrame(0), QRectF(-15 - 31, 18 - 14, 62, 28));
    EXPECT_EQ(StartExample::pointerOffset(0), QPointF(-12, 30));
    EXPECT_EQ(StartExample::cameraFrame(1), QRectF(36 - 60, 18 - 24, 120, 48));
    EXPECT_EQ(StartExample::pointerOffset(1), QPointF(55, 6));

    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    EXPECT_TRUE(recording.animating());
    EXPECT_FALSE(screenshot.animating()) << "the screenshot picture never moves";
    ASSERT_TRUE(QTest::qWaitFor([&] { return recording.zoom() > 0.02; }, 3000));

    view->hide();
    EXPECT_FALSE(recording.animating());
    EXPECT_EQ(recording.zoom(), 0.0);
    view->show();
    EXPECT_TRUE(recording.animating());
    EXPECT_LT(recording.zoom(), 0.05) << "from the small framing, not where it stopped";
}

TEST_F(StartViewTest, TheQuietButtonFadesAndShrinksWhilePressedAndOnlyFadesWhileDisabled) {
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    ShortcutActionButton& title = *view->screenshotCard()->titleArea();
    EXPECT_EQ(title.shownOpacity(), 1.0);
    QTest::mousePress(&title, Qt::LeftButton, {}, title.rect().center());
    EXPECT_EQ(title.shownOpacity(), ShortcutActionButton::pressedOpacity);
    EXPECT_EQ(title.shownScale(), ShortcutActionButton::pressedScale);
    QTest::mouseRelease(&title, Qt::LeftButton, {}, title.rect().center());
    EXPECT_EQ(title.shownScale(), 1.0);
    takeIntent();

    studio->setPhase(RecordingPhase::Kind::recording);
    EXPECT_EQ(title.shownOpacity(), ShortcutActionButton::disabledOpacity);
    QTest::mousePress(&title, Qt::LeftButton, {}, title.rect().center());
    EXPECT_EQ(title.shownScale(), 1.0);
    EXPECT_EQ(title.shownOpacity(), ShortcutActionButton::disabledOpacity);
    QTest::mouseRelease(&title, Qt::LeftButton, {}, title.rect().center());
    EXPECT_EQ(takeIntent(), std::nullopt);
}

TEST_F(StartViewTest, TheCardsTheirMainActionsTheSampleTheWayBackAndThePageShowTheFocusMark) {
    openPicture();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QList<QWidget*> controls{view.get(), view->resumeButton(), view->sampleButton()};
    for (TaskCard* card : {view->screenshotCard(), view->recordingCard()})
        controls << card->titleArea() << card->mainAction();
    for (QWidget* control : controls)
        EXPECT_GE(test::markPixelsByTab(*control), test::smallestMark) << test::described(*control).toStdString();

    // In a window too short for the page, the keyboard coming to a control
    // at the top or the bottom of the part shown scrolls its mark into sight.
    view->resize(1000, 200);
    QApplication::processEvents();
    QWidget& control = *view->screenshotCard()->mainAction();
    const QRect placed(control.mapTo(view->widget(), QPoint(0, 0)), control.size());
    for (const int firstShown : {placed.top(), placed.bottom() + 1 - view->viewport()->height()}) {
        ASSERT_GE(firstShown, FocusRing::outset);
        ASSERT_LE(firstShown, view->verticalScrollBar()->maximum() - FocusRing::outset);
        view->setFocus(Qt::TabFocusReason);
        view->verticalScrollBar()->setValue(firstShown);
        control.setFocus(Qt::TabFocusReason);
        const QRect shown(control.mapTo(view->viewport(), QPoint(0, 0)), control.size());
        EXPECT_GE(shown.top() - FocusRing::outset, 0) << firstShown;
        EXPECT_LE(shown.bottom() + FocusRing::outset, view->viewport()->rect().bottom()) << firstShown;
    }
}

}  // namespace
