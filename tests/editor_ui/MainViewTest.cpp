// The editor window's layout follows the model: start screen or editing
// area, the sidebar, the status bar and the header's two forms.
#include "editor_ui/BusySpinner.h"
#include "editor_ui/EditingColumn.h"
#include "editor_ui/ErrorAlert.h"
#include "editor_ui/ElidedLabel.h"
#include "editor_ui/HeaderBar.h"
#include "editor_ui/HistoryList.h"
#include "editor_ui/MoreCapturesMenu.h"
#include "editor_ui/RecordingButton.h"
#include "editor_ui/RecordingUnavailableView.h"
#include "editor_ui/Sidebar.h"
#include "editor_ui/StartView.h"
#include "editor_ui/StatusBar.h"
#include "editor_ui/Workspace.h"
#include "recording/studio/RecordingStudio.h"
#include "tests/app/model/ScriptedStudio.h"
#include "tests/editor_ui/MainViewFixture.h"

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>

using namespace tavero;
using tavero::test::MainViewTest;

namespace {

// What a screen reader hears of `owner` of its own accord: the names of its
// notifications, each time one shows.
class Ear final : public QObject {
public:
    explicit Ear(QWidget& owner) : owner_(owner) { qApp->installEventFilter(this); }

    QStringList heard;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Show || !widget || widget->parentWidget() != &owner_) return false;
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(widget);
        if (said && said->role() == QAccessible::Notification) heard.append(said->text(QAccessible::Name));
        return false;
    }

private:
    QWidget& owner_;
};

CaptureRecord record(const QString& file) {
    CaptureRecord entry;
    entry.id = QUuid::createUuid();
    entry.name = file;
    entry.file = file;
    return entry;
}

TEST_F(MainViewTest, TheStartAreaShowsOnHomeOrWithNeitherPictureNorVideo) {
    EXPECT_EQ(view->currentContent(), view->startView()) << "at launch";

    openPicture();
    EXPECT_EQ(view->currentContent(), view->workspace()->parentWidget());
    EXPECT_EQ(view->workspace()->currentView(), static_cast<QWidget*>(view->workspace()->editingColumn()));

    model().goHome();
    EXPECT_EQ(view->currentContent(), view->startView());
    model().resumeWorkspace();
    EXPECT_NE(view->currentContent(), view->startView());

    document().open(QImage(), QStringLiteral("空"));
    EXPECT_FALSE(model().flow().showingHome);
    EXPECT_EQ(view->currentContent(), view->startView()) << "nothing to show";

    model().setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_NE(view->currentContent(), view->startView()) << "a video is content";
    model().setVideoURL(std::nullopt);
    EXPECT_EQ(view->currentContent(), view->startView());
}

TEST_F(MainViewTest, TheSidebarIsHiddenWhileAVideoIsShown) {
    openPicture();
    EXPECT_TRUE(shows(view->sidebar()));
    EXPECT_EQ(view->sidebar()->width(), Sidebar::columnWidth);

    model().setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_FALSE(shows(view->sidebar()));
    ASSERT_NE(view->workspace()->videoWorkspace(), nullptr);
    EXPECT_EQ(view->workspace()->currentView(), view->workspace()->videoWorkspace()) << "not the canvas";
    QWidget* workspace = view->workspace()->videoWorkspace();
    model().setVideoURL(QStringLiteral("/tmp/录屏2.mp4"));
    EXPECT_EQ(view->workspace()->videoWorkspace(), workspace) << "it follows the next video itself";
    EXPECT_FALSE(shows(view->statusBar()->pixelSizeLabel()));

    model().setVideoURL(std::nullopt);
    EXPECT_TRUE(shows(view->sidebar()));
    EXPECT_EQ(view->workspace()->currentView(), static_cast<QWidget*>(view->workspace()->editingColumn()));
}

TEST_F(MainViewTest, NamesThatLookLikeMarkupShowAsTheyAre) {
    const QString name = QStringLiteral("<b>粗体<font size=7 color=red>RED");
    const test::TempDir dir;
    model().open(dir.file(name + QStringLiteral(".vistagon")));
    ASSERT_TRUE(harness.waitUntilIdle());
    QMessageBox* box = view->errorAlert()->box();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->informativeText().contains(name));
    for (QLabel* label : box->findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    QTextDocument toolTip;
    toolTip.setHtml(view->statusBar()->statusLabel()->toolTip());
    EXPECT_EQ(toolTip.toPlainText(), model().status()) << "the status line's tool tip too";
}

TEST_F(MainViewTest, TheStatusBarShowsBusyRecordingAndThePixelSize) {
    StatusBar& bar = *view->statusBar();
    EXPECT_EQ(bar.statusLabel()->text(), QStringLiteral("准备好了。截图和编辑都在本机完成。"));
    EXPECT_FALSE(shows(bar.spinner()));
    EXPECT_TRUE(shows(bar.dot()));
    EXPECT_EQ(bar.dotColour(), TaveroStyle::green());
    EXPECT_FALSE(shows(bar.pixelSizeLabel())) << "on the start screen";

    openPicture();
    EXPECT_TRUE(shows(bar.pixelSizeLabel()));
    EXPECT_EQ(bar.pixelSizeLabel()->text(), QStringLiteral("1200 × 760"));
    model().goHome();
    EXPECT_FALSE(shows(bar.pixelSizeLabel()));
    model().resumeWorkspace();

    model().setRecording(true);
    EXPECT_EQ(bar.dotColour(), QColor(Qt::red));
    model().setRecording(false);
    EXPECT_EQ(bar.dotColour(), TaveroStyle::green());

    makeBusy();
    EXPECT_TRUE(shows(bar.spinner()));
    EXPECT_FALSE(shows(bar.dot()));
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_FALSE(shows(bar.spinner()));
    EXPECT_EQ(bar.statusLabel()->text(), QStringLiteral("已取消截图"));
}

// Each new status is said once: not again as the bar shows the same one
// after another change, nor as its window shows again; one set while the
// window was hidden is said as it shows.
TEST_F(MainViewTest, TheStatusLineIsSaidOnceAndAgainOnlyWhenNew) {
    Ear ear(*view->statusBar());
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    model().setStatus(QStringLiteral("已打开：small.png"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ear.heard.isEmpty(); }));
    openPicture();
    model().setRecording(true);
    QCoreApplication::sendPostedEvents();
    view->hide();
    view->show();
    EXPECT_EQ(ear.heard.join(u'|').toStdString(), "已打开：small.png");

    view->hide();
    model().setStatus(QStringLiteral("已打开：small.mp4"));
    QCoreApplication::sendPostedEvents();
    view->show();
    EXPECT_EQ(ear.heard.join(u'|').toStdString(), "已打开：small.png|已打开：small.mp4");
}

// A status of several lines, such as a take the system interrupted, shows
// on the bar's one line whole or cut short with "…", never as lines squeezed
// into it; the tool tip holds it all.
TEST_F(MainViewTest, AStatusOfSeveralLinesShowsOnTheBarsOneLine) {
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    const QString interrupted = QStringLiteral(
        "已保存 3.9 秒原片。\n录制被系统中断（麦克风已断开）。\n文件：/home/用户/Desktop/岚帧/录屏_2026-03-05_14-07-09_3F9A1C.mp4");
    model().setStatus(interrupted);
    StatusBar& bar = *view->statusBar();
    ElidedLabel* label = bar.statusLabel();
    QTest::qWait(0);
    EXPECT_EQ(label->sizeHint().height(), label->fontMetrics().height()) << "one line";

    const QImage shown = bar.grab().toImage();
    const QColor background = shown.pixelColor(1, 1);
    const QRect area = label->geometry();
    QList<int> inked;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            if (std::abs(pixel.lightness() - background.lightness()) > 60) {
                inked.append(y);
                break;
            }
        }
    // Lines squeezed into the bar overflow it and are cut at its edges;
    // one line, centred, leaves the top row free.
    ASSERT_FALSE(inked.isEmpty()) << "the status shows";
    EXPECT_GT(inked.first(), area.top()) << "glyphs cut at the top";
    QTextDocument toolTip;
    toolTip.setHtml(label->toolTip());
    EXPECT_EQ(toolTip.toPlainText(), interrupted);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description), interrupted)
        << "a screen reader reads the words, not the tool tip's markup";
}

TEST_F(MainViewTest, TheHeaderIsShortOnTheStartScreenAndFullBesideTheEditingArea) {
    HeaderBar& header = *view->header();
    EXPECT_EQ(header.height(), 68);
    for (QWidget* hidden : std::initializer_list<QWidget*>{header.homeButton(), header.areaButton(),
                                                           header.openButton(), header.recordButton()})
        EXPECT_FALSE(shows(hidden)) << hidden->metaObject()->className();
    EXPECT_TRUE(shows(header.recentFilesButton()));
    EXPECT_TRUE(shows(header.settingsButton()));

    openPicture();
    for (QWidget* shown : std::initializer_list<QWidget*>{header.homeButton(), header.areaButton(),
                                                          header.openButton(), header.recordButton(),
                                                          header.settingsButton()})
        EXPECT_TRUE(shows(shown)) << shown->metaObject()->className();
    EXPECT_FALSE(shows(header.recentFilesButton()));
    EXPECT_EQ(header.recordButton()->text(), QStringLiteral("录屏"));

    document().open(QImage(), QStringLiteral("空"));
    model().setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_TRUE(shows(header.homeButton())) << "a video is shown beside the full header";

    QTest::mouseClick(header.settingsButton(), Qt::LeftButton);
    EXPECT_TRUE(state().settings());
}

// A main view over a studio whose phase the test sets.
class ScriptedStudioViewTest : public MainViewTest {
protected:
    ScriptedStudioViewTest() {
        harness.makeStudio = [this](RecordingHost& host) {
            auto made = std::make_unique<test::ScriptedStudio>(host);
            studio = made.get();
            return made;
        };
    }
    test::ScriptedStudio* studio = nullptr;
};

TEST_F(ScriptedStudioViewTest, TheHeadersScreenshotCommandsRestWhileBusyOrRecordingAndHomeOnlyWhileBusy) {
    openPicture();
    HeaderBar& header = *view->header();
    MoreCapturesMenu& menu = *header.moreCapturesMenu();
    ASSERT_EQ(menu.captureActions().size(), 4);
    const auto captureEnabled = [&] {
        bool enabled = header.areaButton()->isEnabled();
        for (QAction* action : menu.captureActions()) enabled = enabled && action->isEnabled();
        return enabled;
    };
    EXPECT_TRUE(header.homeButton()->isEnabled());
    EXPECT_TRUE(captureEnabled());

    studio->setPhase(RecordingPhase::Kind::paused);
    EXPECT_FALSE(header.areaButton()->isEnabled());
    for (QAction* action : menu.captureActions()) EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(header.homeButton()->isEnabled());
    EXPECT_TRUE(menu.delayAction(3)->isEnabled()) << "the delay stays settable";
    EXPECT_TRUE(menu.cursorAction()->isEnabled());
    studio->setPhase(RecordingPhase::Kind::idle);
    EXPECT_TRUE(captureEnabled());

    makeBusy();
    EXPECT_FALSE(header.homeButton()->isEnabled());
    EXPECT_FALSE(header.areaButton()->isEnabled());
    EXPECT_FALSE(menu.captureActions().first()->isEnabled());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_TRUE(header.homeButton()->isEnabled());
    EXPECT_TRUE(captureEnabled());
    header.homeButton()->click();
    EXPECT_TRUE(model().flow().showingHome);
}

TEST_F(MainViewTest, TheDelayPickerAndThePointerToggleAreBoundToTheModel) {
    MoreCapturesMenu& menu = *view->header()->moreCapturesMenu();
    EXPECT_TRUE(menu.delayAction(0)->isChecked());
    menu.delayAction(5)->trigger();
    EXPECT_EQ(model().captureDelay(), 5);
    EXPECT_TRUE(menu.delayAction(5)->isChecked());
    EXPECT_FALSE(menu.delayAction(0)->isChecked());
    menu.delayAction(5)->trigger();
    EXPECT_TRUE(menu.delayAction(5)->isChecked()) << "choosing the current delay keeps it";

    model().setCaptureDelay(10);
    EXPECT_TRUE(menu.delayAction(10)->isChecked());
    EXPECT_EQ(menu.delayAction(10)->text(), QStringLiteral("10 秒"));

    menu.cursorAction()->trigger();
    EXPECT_TRUE(model().includeCursor());
    model().setIncludeCursor(false);
    EXPECT_FALSE(menu.cursorAction()->isChecked());
}

TEST_F(MainViewTest, TheHistoryTabCountsTheLibrary) {
    QTabBar& tabs = *view->sidebar()->tabs();
    EXPECT_EQ(tabs.tabText(0), QStringLiteral("标注"));
    EXPECT_EQ(tabs.tabText(1), QStringLiteral("历史 0"));
    model().setHistory({record(QStringLiteral("a.png")), record(QStringLiteral("b.png"))});
    EXPECT_EQ(tabs.tabText(1), QStringLiteral("历史 2"));

    tabs.setCurrentIndex(1);
    EXPECT_EQ(state().sidebarTab(), 1);
    EXPECT_EQ(view->sidebar()->currentPage(), view->sidebar()->historyList());
}

TEST_F(MainViewTest, ANewPictureReturnsTheSidebarToItsToolsButAnEditDoesNot) {
    openPicture();
    state().setSidebarTab(MainViewState::historyTab);
    document().add(test::makeMark(MarkTool::rectangle, {{10, 10}, {200, 120}}));
    EXPECT_EQ(state().sidebarTab(), MainViewState::historyTab);
    EXPECT_EQ(view->sidebar()->tabs()->currentIndex(), 1);

    openPicture(fixtures::screenshotLike(640, 400));
    EXPECT_EQ(state().sidebarTab(), MainViewState::annotationTab);
    EXPECT_EQ(view->sidebar()->tabs()->currentIndex(), 0);
}

TEST_F(MainViewTest, AToolOutsideTheCommonSixOpensTheMoreToolsGroup) {
    document().choose(MarkTool::crop);
    EXPECT_FALSE(state().moreTools());
    document().choose(MarkTool::pen);
    EXPECT_TRUE(state().moreTools());
    document().choose(MarkTool::arrow);
    EXPECT_TRUE(state().moreTools()) << "never closed by a tool change";
}

TEST_F(MainViewTest, TheFirstMarkMovesThePracticeOnAndDeletingItDoesNotMoveItBack) {
    startPractice();
    ASSERT_EQ(model().flow().practice, ScreenshotPracticeStep::annotate);
    document().add(test::makeMark(MarkTool::arrow, {{10, 10}, {200, 120}}));
    EXPECT_EQ(model().flow().practice, ScreenshotPracticeStep::background);
    document().deleteSelected();
    EXPECT_TRUE(document().marks().isEmpty());
    EXPECT_EQ(model().flow().practice, ScreenshotPracticeStep::background);
}

// Drags `urls` onto the window and drops them; whether it took them.
bool drop(QWidget& view, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint place(600, 20);
    QDragEnterEvent enter(place, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(place, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &dropped);
    return dropped.isAccepted();
}

TEST_F(MainViewTest, ADropOfTwoFilesOpensOnlyTheFirst) {
    const test::TempDir folder;
    ASSERT_TRUE(fixtures::screenshotLike(320, 200).save(folder.file(QStringLiteral("第一张.png"))));
    ASSERT_TRUE(fixtures::screenshotLike(640, 480).save(folder.file(QStringLiteral("第二张.png"))));

    EXPECT_FALSE(drop(*view, {})) << "nothing to open";
    EXPECT_FALSE(drop(*view, {QUrl(QStringLiteral("https://example.com/a.png"))})) << "not a file";
    EXPECT_TRUE(drop(*view, {QUrl::fromLocalFile(folder.file(QStringLiteral("第一张.png"))),
                             QUrl::fromLocalFile(folder.file(QStringLiteral("第二张.png")))}));
    EXPECT_TRUE(document().image().isNull()) << "opened from the event loop, after the drop";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !document().image().isNull(); }, 5000));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(320, 200));
    EXPECT_EQ(document().name(), QStringLiteral("第一张"));
    QTest::qWait(100);
    EXPECT_EQ(document().image().size(), QSize(320, 200)) << "the second file stays closed";
    EXPECT_NE(view->currentContent(), view->startView());
}

TEST_F(MainViewTest, ThePracticePictureFromTheHistoryTabShowsTheToolsAndThePractice) {
    state().setSidebarTab(MainViewState::historyTab);
    view->sidebar()->demoButton()->click();
    EXPECT_EQ(document().name(), QStringLiteral("示例图 · 跟着做一次"));
    EXPECT_EQ(state().sidebarTab(), MainViewState::annotationTab);
    EXPECT_EQ(model().flow().practice, ScreenshotPracticeStep::annotate);
    EXPECT_NE(view->currentContent(), view->startView());
}

TEST_F(MainViewTest, TheRecordButtonFollowsThePhaseAndReachesTheModel) {
    RecordingButton& button = *view->header()->recordButton();
    button.showPhase(RecordingPhase::Kind::stopping);
    EXPECT_EQ(button.text(), QStringLiteral("停止录屏"));
    EXPECT_FALSE(button.isEnabled());
    button.showPhase(RecordingPhase::Kind::restarting);
    EXPECT_FALSE(button.isEnabled());
    button.showPhase(RecordingPhase::countdown(2));
    EXPECT_EQ(button.text(), QStringLiteral("停止录屏"));
    EXPECT_TRUE(button.isEnabled());
    button.showPhase(RecordingPhase::Kind::idle);
    EXPECT_EQ(button.text(), QStringLiteral("录屏"));

    button.click();
    EXPECT_TRUE(model().studio().setupVisible()) << "the model opens the set-up";
}

// This program hands in no set-up view, so the sheet says why nothing can be
// recorded, and closing it lets the next record request open it again.
TEST_F(MainViewTest, ARecordRequestWithoutTheRecordingInterfaceExplainsAndCloses) {
    view->header()->recordButton()->click();
    QList<QDialog*> sheets = openSheets();
    ASSERT_EQ(sheets.size(), 1);
    auto* notice = sheets.first()->findChild<RecordingUnavailableView*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_GT(sheets.first()->sizeHint().height(), 0);

    notice->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(model().studio().setupVisible());
    EXPECT_TRUE(openSheets().isEmpty());

    view->header()->recordButton()->click();
    EXPECT_EQ(openSheets().size(), 1) << "a second request opens the sheet again";
}

TEST(RecordingButtonTest, APressAfterTheModelIsGoneDoesNothing) {
    test::TempHome home;
    auto model = std::make_unique<AppModel>(AppModelSetup{});
    RecordingButton button(model->studio(), *model);
    model.reset();
    button.click();
    EXPECT_EQ(button.text(), QStringLiteral("录屏"));
}

}  // namespace
