// The editing column: zoom buttons, the practice bar and the editor hint,
// the scrolling screenshot's strip and the sheets and alert of the window.
#include "editor_ui/EditingColumn.h"
#include "editor_ui/ErrorAlert.h"
#include "editor_ui/GuidanceRow.h"
#include "editor_ui/HeaderBar.h"
#include "editor_ui/ScreenshotPracticeBar.h"
#include "editor_ui/ScrollingCaptureRow.h"
#include "editor_ui/Workspace.h"
#include "editor_ui/ZoomBar.h"
#include "tests/editor_ui/MainViewFixture.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

using namespace tavero;
using tavero::test::MainViewTest;

namespace {

QStringList buttonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* button : box.buttons()) texts.append(button->text());
    texts.sort();
    return texts;
}

class WorkspaceTest : public MainViewTest {
protected:
    EditingColumn& column() { return *view->workspace()->editingColumn(); }
    GuidanceRow& guidance() { return *column().guidance(); }
};

TEST_F(WorkspaceTest, ZoomButtonsStepByAQuarterBetweenAQuarterAndFour) {
    openPicture();
    ZoomBar& bar = *column().zoomBar();
    document().setZoom(0.4);
    bar.zoomOutButton()->click();
    EXPECT_EQ(document().zoom(), 0.25);
    bar.zoomOutButton()->click();
    EXPECT_EQ(document().zoom(), 0.25);
    document().setZoom(3.9);
    bar.zoomInButton()->click();
    EXPECT_EQ(document().zoom(), 4.0);
    bar.zoomInButton()->click();
    EXPECT_EQ(document().zoom(), 4.0);

    bar.actualSizeButton()->click();
    EXPECT_EQ(document().zoom(), 1.0);
    EXPECT_TRUE(document().actualPixels());
    document().setZoom(2.5);
    bar.fitButton()->click();
    EXPECT_EQ(document().zoom(), 1.0);
    EXPECT_FALSE(document().actualPixels());
}

TEST_F(WorkspaceTest, TheZoomBarHintFollowsInlineTextEditing) {
    openPicture();
    QLabel& hint = *column().zoomBar()->hint();
    EXPECT_EQ(hint.text(), QStringLiteral("Ctrl+Z 撤销  ·  拖入图片可直接打开"));
    document().choose(MarkTool::text);
    document().placeText(QPointF(100, 100));
    document().beginTextInput();
    ASSERT_TRUE(document().isEditingText());
    EXPECT_EQ(hint.text(), QStringLiteral("回车完成 · Shift+回车换行 · Esc 取消"));
    document().endTextInput(true);
    EXPECT_EQ(hint.text(), QStringLiteral("Ctrl+Z 撤销  ·  拖入图片可直接打开"));
}

TEST_F(WorkspaceTest, ThePracticeBarAndTheEditorHintNeverShowTogether) {
    startPractice();
    ASSERT_FALSE(state().editorHintDismissed());
    EXPECT_TRUE(shows(guidance().practiceBar()));
    EXPECT_FALSE(shows(guidance().hint())) << "the hint was never dismissed, yet the practice wins";
    EXPECT_EQ(guidance().practiceBar()->actionButton()->text(), QStringLiteral("选择箭头"));

    document().choose(MarkTool::move);
    guidance().practiceBar()->actionButton()->click();
    EXPECT_EQ(document().tool(), MarkTool::arrow);

    WorkspaceFlow flow = model().flow();
    flow.practice = ScreenshotPracticeStep::share;
    model().setFlow(flow);
    EXPECT_EQ(guidance().practiceBar()->instruction()->text(),
              QStringLiteral("已经做好了！复制这张图，就可以粘贴到聊天或文档里。"));

    flow.practice.reset();
    model().setFlow(flow);
    EXPECT_FALSE(shows(guidance().practiceBar()));
    EXPECT_TRUE(shows(guidance().hint()));
}

TEST_F(WorkspaceTest, ClosingThePracticeKeepsThePictureAndDismissesTheHint) {
    startPractice();
    const QUuid content = document().contentID();
    const qint64 revision = document().revision();
    guidance().practiceBar()->closeButton()->click();
    EXPECT_FALSE(model().flow().practice);
    EXPECT_FALSE(model().flow().showingHome);
    EXPECT_TRUE(state().editorHintDismissed());
    EXPECT_FALSE(shows(&guidance())) << "neither bar nor hint";
    EXPECT_EQ(document().contentID(), content);
    EXPECT_EQ(document().revision(), revision);
}

TEST_F(WorkspaceTest, ThePracticeBackgroundStepHandsTheRenderedPictureToTheBackgroundSheet) {
    startPractice();
    document().add(test::makeMark(MarkTool::arrow, {{700, 420}, {420, 230}}));
    ASSERT_EQ(model().flow().practice, ScreenshotPracticeStep::background);
    const qint64 revision = document().revision();
    guidance().practiceBar()->actionButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state().backgroundPresented(); }, 5000));
    EXPECT_EQ(state().backgroundRevision(), revision);
    EXPECT_EQ(state().backgroundSource().size(), QSize(1200, 760));
    EXPECT_NE(state().backgroundSource().pixel(560, 325), document().image().pixel(560, 325)) << "marks burnt in";
    EXPECT_EQ(openSheets().size(), 1);

    view->applyBackground(FrameOptions{});
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(1200 + 2 * 96, 760 + 2 * 96)) << "framed";
    EXPECT_EQ(model().flow().practice, ScreenshotPracticeStep::share);
}

TEST_F(WorkspaceTest, TheBackgroundSheetStaysClosedWhenThePictureChangedWhileItWasRendered) {
    startPractice();
    view->openBackground();
    document().add(test::makeMark(MarkTool::rectangle, {{10, 10}, {200, 120}}));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_FALSE(state().backgroundPresented());
    EXPECT_TRUE(openSheets().isEmpty());
}

TEST_F(WorkspaceTest, TheHintStaysDismissedAcrossLaunches) {
    openPicture();
    ASSERT_TRUE(shows(guidance().hint()));
    guidance().hintDismissButton()->click();
    EXPECT_FALSE(shows(guidance().hint()));
    EXPECT_EQ(QSettings().value(QStringLiteral("onboarding.editorHintDismissed")).toString(), QStringLiteral("true"));

    makeView();
    EXPECT_TRUE(state().editorHintDismissed());
    EXPECT_FALSE(shows(view->workspace()->editingColumn()->guidance()->hint()));
}

TEST_F(WorkspaceTest, TheScrollingStripShowsFromTheFirstFrameUntilTheCountReturnsToZero) {
    ScrollingCaptureRow& row = *column().scrollingRow();
    EXPECT_FALSE(shows(&row));
    model().take(CaptureMode::area, true);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(QRectF(100, 100, 400, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model().scrollCount() == 1; }, 5000));
    EXPECT_TRUE(shows(&row));
    EXPECT_EQ(row.countLabel()->text(), QStringLiteral("长截图 · 1 张"));
    row.presentButton()->click();
    EXPECT_EQ(harness.scrollControls.presented, 1);
    row.finishButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model().scrollCount() == 0; }, 10000));
    EXPECT_FALSE(shows(&row));
}

TEST_F(WorkspaceTest, TheAlertOffersTheSettingsExactlyWhenTheErrorIsAboutAccess) {
    const QStringList plain{QStringLiteral("知道了")};
    const QStringList withSettings{QStringLiteral("打开屏幕权限设置"), QStringLiteral("知道了")};
    for (const auto& [error, expected] : std::initializer_list<std::pair<QString, QStringList>>{
             {QStringLiteral("请在系统设置中允许屏幕录制权限。"), withSettings},
             {QStringLiteral("没有获得授权"), withSettings},
             {QStringLiteral("图片过大。请缩小截图区域，或分成两张长图。"), plain}}) {
        model().fail(ShotError(error));
        QMessageBox* box = view->errorAlert()->box();
        ASSERT_NE(box, nullptr) << error.toStdString();
        EXPECT_EQ(box->windowTitle(), QStringLiteral("岚帧"));
        EXPECT_EQ(box->informativeText(), error);
        QStringList sortedExpected = expected;
        sortedExpected.sort();
        EXPECT_EQ(buttonTexts(*box), sortedExpected) << error.toStdString();
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);

        box->buttons().constLast()->click();
        EXPECT_FALSE(model().error()) << "closing the alert clears the error";
        EXPECT_EQ(view->errorAlert()->box(), nullptr);
    }
}

TEST_F(WorkspaceTest, SheetsOpenWhileTheirBindingHoldsAndClearItWhenClosed) {
    QTest::mouseClick(view->header()->settingsButton(), Qt::LeftButton);
    ASSERT_EQ(openSheets().size(), 1);
    EXPECT_EQ(openSheets().first()->windowModality(), Qt::WindowModal);
    openSheets().first()->reject();
    EXPECT_FALSE(state().settings());
    EXPECT_TRUE(openSheets().isEmpty());

    model().setShowOCR(true);
    ASSERT_EQ(openSheets().size(), 1);
    model().setShowOCR(false);
    EXPECT_TRUE(openSheets().isEmpty());
}

class ScreenAccessSheetTest : public MainViewTest {
protected:
    ScreenAccessSheetTest() { accessGranted = false; }
};

TEST_F(ScreenAccessSheetTest, TheConfirmedActionIsReplayedWhenTheSheetCloses) {
    model().take(CaptureMode::area, false);
    ASSERT_TRUE(model().screenAccessIntent());
    ASSERT_EQ(openSheets().size(), 1);
    EXPECT_FALSE(harness.overlay.isOpen());

    model().confirmScreenAccess();
    EXPECT_TRUE(openSheets().isEmpty());
    EXPECT_TRUE(harness.overlay.waitUntilOpen()) << "the screenshot runs once the sheet has closed";
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());

    model().setScreenAccessIntent(ScreenAccessIntent::screenshot(CaptureMode::area, false));
    ASSERT_EQ(openSheets().size(), 1);
    openSheets().first()->reject();
    EXPECT_FALSE(model().screenAccessIntent()) << "closing the sheet cancels";
    QTest::qWait(50);
    EXPECT_FALSE(harness.overlay.isOpen()) << "nothing confirmed, nothing replayed";
}

}  // namespace
