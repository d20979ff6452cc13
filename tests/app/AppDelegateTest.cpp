// The running program around the model, headless: the window, the hot keys
// and their report, the status item, the edit commands and the quit gate.
#include "app/AboutPanel.h"
#include "app/StatusIcon.h"
#include "app/StatusItem.h"
#include "app/model/FileMessages.h"
#include "app/model/ModelMessages.h"
#include "capture/ScrollControls.h"
#include "document/ShotDocument.h"
#include "editor_ui/MainView.h"
#include "editor_ui/StatusBar.h"
#include "tests/app/DelegateHarness.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/app/model/ScriptedStudio.h"
#include "tests/capture/ScriptedFrames.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QMessageBox>
#include <QStatusBar>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QAction* menuItem(QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions())
        if (action->text() == title) return action;
    return nullptr;
}

// Records the URLs the program asks the desktop to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST(AppDelegateTest, LaunchShowsTheEditorWindowAndKeepsTheProgramWhenItCloses) {
    test::DelegateHarness harness;
    EditorWindow& window = harness.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(harness.model().status(), QStringLiteral("准备好了。截图和编辑都在本机完成。")) << "every key was free";
    EXPECT_EQ(harness.hotKeys->grabs().size(), 6);

    QWidget* content = window.centralWidget();
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    harness.delegate().perform(ShellCommand::openEditor);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.centralWidget(), content) << "the same window with its content";
}

// The test screen is narrower than the designed window.
TEST(AppDelegateTest, TheWindowAndEverythingInItFitAScreenSmallerThanTheDesign) {
    test::DelegateHarness harness;
    EditorWindow& window = harness.window();
    const QRect area = window.screen()->availableGeometry();
    ASSERT_LT(area.width(), EditorWindow::smallestSize.width());
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    EXPECT_LE(window.minimumWidth(), area.width()) << "it can be made to fit again";
    EXPECT_LE(window.minimumHeight(), area.height());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const MainView& content = *static_cast<MainView*>(window.centralWidget());
    const QRect statusBar(content.statusBar()->mapTo(&window, QPoint()), content.statusBar()->size());
    EXPECT_TRUE(window.rect().contains(statusBar)) << "the status bar is not pushed out of the window";
}

TEST(AppDelegateTest, KeysHeldByOtherProgramsAreNamedInTableOrder) {
    test::DelegateHarness harness;
    harness.occupied = {QLatin1Char('P'), QLatin1Char('9'), QLatin1Char('8'), QLatin1Char('6'), QLatin1Char('2'),
                        QLatin1Char('1')};
    EXPECT_EQ(harness.model().status(),
              QStringLiteral("这些快捷键被占用：Ctrl+Shift+1、Ctrl+Shift+2、Ctrl+Shift+6、Ctrl+Shift+8、Ctrl+Shift+9、"
                             "Ctrl+Shift+P。仍可使用菜单截图。"));
}

TEST(AppDelegateTest, HotKeysCarryOutTheirCommandsAndIgnoreOthers) {
    test::DelegateHarness harness;
    harness.window().hide();
    harness.hotKeys->press(1);
    EXPECT_TRUE(harness.window().isVisible()) << "Ctrl+Shift+1 opens the editor";

    harness.hotKeys->press(3);
    harness.hotKeys->press(10);
    EXPECT_EQ(harness.model().status(), ModelMessages::ready()) << "no key 3; pausing with no recording does nothing";

    harness.hotKeys->press(6);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model().document().image().isNull(); }, 5000));
    EXPECT_EQ(harness.model().document().image().size(), QSize(1920, 1080)) << "Ctrl+Shift+6 takes the full screen";

    harness.hotKeys->press(8);
    EXPECT_TRUE(harness.model().studio().setupVisible()) << "Ctrl+Shift+8 opens the recording set-up";
}

TEST(AppDelegateTest, TheStatusItemFollowsACountdownAndItsMenuIsBuiltOnOpening) {
    test::DelegateHarness harness;
    StatusItem& item = *harness.delegate().statusItem();
    harness.model().setCaptureDelay(5);
    harness.delegate().perform(ShellCommand::area);
    EXPECT_EQ(item.title(), QStringLiteral(" 5"));
    EXPECT_TRUE(item.icon().toolTip().endsWith(QStringLiteral("\n5")));

    emit item.menu().aboutToShow();
    QAction* cancel = menuItem(item.menu(), QStringLiteral("取消倒计时"));
    ASSERT_NE(cancel, nullptr);
    cancel->trigger();
    EXPECT_EQ(harness.model().countdown(), 0);
    EXPECT_TRUE(item.title().isEmpty());
    emit item.menu().aboutToShow();
    EXPECT_EQ(menuItem(item.menu(), QStringLiteral("取消倒计时")), nullptr) << "rebuilt for the new moment";
}

TEST(AppDelegateTest, TheStatusSymbolsAreDrawnAndDifferByState) {
    const auto pixels = [](const StatusLook& look) {
        return StatusIcon::draw(look).pixmap(StatusIcon::side, StatusIcon::side).toImage();
    };
    const QImage idle = pixels(StatusLook::of({}));
    const QImage recording = pixels(StatusLook::of({true, RecordingPhase(RecordingPhase::Kind::recording), 75, 0, 0}));
    const QImage paused = pixels(StatusLook::of({false, RecordingPhase(RecordingPhase::Kind::paused), 75, 0, 0}));
    EXPECT_NE(idle, recording);
    EXPECT_NE(recording, paused);
    const QPoint inside(StatusIcon::side / 4, StatusIcon::side / 2);
    EXPECT_EQ(qAlpha(idle.pixel(inside)), 0) << "the viewfinder is open inside";
    const QImage pause = pixels({QStringLiteral("pause.circle.fill"), StatusLook::Tint::orange, {}});
    EXPECT_EQ(qAlpha(pause.pixel(inside)), 255) << "the pause disc is filled";
    const auto inked = [](const QImage& image, const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) count += qAlpha(image.pixel(x, y)) > 128;
        return count;
    };
    const QRect below(0, StatusIcon::side * 5 / 8, StatusIcon::side, StatusIcon::side * 3 / 8);
    EXPECT_GT(inked(paused, below), 40) << "the title is drawn below the symbol";
}

TEST(AppDelegateTest, EditCommandsReachAFocusedTextFieldFirst) {
    test::DelegateHarness harness;
    AppModel& model = harness.model();
    model.document().open(fixtures::noise(200, 100), QStringLiteral("图"));
    model.document().add(test::makeMark(MarkTool::rectangle, {QPointF(10, 10), QPointF(50, 50)}));
    QApplication::clipboard()->clear();

    auto* field = new QLineEdit(QStringLiteral("标注文字"));
    harness.window().statusBar()->addWidget(field);
    harness.window().activateWindow();
    QApplication::setActiveWindow(&harness.window());
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }, 2000));
    field->selectAll();
    harness.delegate().perform(ShellCommand::copyImage);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("标注文字"));
    field->insert(QStringLiteral("新"));
    harness.delegate().perform(ShellCommand::undo);
    EXPECT_EQ(field->text(), QStringLiteral("标注文字")) << "the field's own typing is undone";
    EXPECT_EQ(model.document().marks().size(), 1) << "the picture keeps its mark";

    field->clearFocus();
    harness.delegate().perform(ShellCommand::undo);
    EXPECT_TRUE(model.document().marks().isEmpty()) << "without a text field the picture's mark is undone";
    harness.delegate().perform(ShellCommand::redo);
    EXPECT_EQ(model.document().marks().size(), 1);
}

TEST(AppDelegateTest, OfSeveralFilesHandedOverOnlyTheFirstOpens) {
    test::DelegateHarness harness;
    QStringList files;
    for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
        files.append(harness.home.path() + QStringLiteral("/%1.png").arg(colour.name().mid(1)));
        ASSERT_TRUE(test::filled(120, 80, colour).save(files.last()));
    }
    harness.window().hide();
    harness.delegate().started(files);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model().document().image().isNull(); }, 5000));
    EXPECT_EQ(harness.model().document().image().pixelColor(60, 40), QColor(Qt::red));
    harness.delegate().started({});
    EXPECT_TRUE(harness.window().isVisible()) << "a start without files brings the editor forward";
}

// Starts handing files over one after another, each while the one before
// is still opening: the statuses they opened with, in order, and the colour
// the picture ends with.
struct HandedOver {
    QStringList opened;
    QRgb shown = 0;
};

HandedOver handOverInTurn(test::DelegateHarness& harness, int count) {
    QStringList files;
    QList<QRgb> colours;
    for (int index = 0; index < count; ++index) {
        colours.append(QColor::fromHsv(index * 360 / count, 200, 200).rgb());
        files.append(harness.home.path() + QStringLiteral("/%1.png").arg(index));
        EXPECT_TRUE(test::filled(120, 80, QColor(colours.last())).save(files.last()));
    }
    HandedOver result;
    QObject::connect(&harness.model(), &AppModel::statusChanged, [&] {
        if (harness.model().status().startsWith(FileMessages::opened(QString()))) result.opened.append(harness.model().status());
    });
    for (const QString& file : files) harness.delegate().started({file});
    const QString last = FileMessages::opened(QFileInfo(files.last()).fileName());
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.opened.contains(last); }, 30'000));
    result.shown = harness.model().document().image().pixel(60, 40);
    EXPECT_EQ(result.shown, colours.last()) << "the last file handed over is the one shown";
    EXPECT_EQ(harness.model().status(), last);
    return result;
}

TEST(AppDelegateTest, FilesHandedOverWhileOneOpensOpenInTurn) {
    test::DelegateHarness harness;
    const HandedOver three = handOverInTurn(harness, 3);
    EXPECT_EQ(three.opened, (QStringList{FileMessages::opened(QStringLiteral("0.png")), FileMessages::opened(QStringLiteral("1.png")),
                                         FileMessages::opened(QStringLiteral("2.png"))}));
}

// Past the files that may wait, the oldest waiting give way.
TEST(AppDelegateTest, OfTooManyFilesHandedOverAtOnceTheNewestOpen) {
    test::DelegateHarness harness;
    constexpr int count = AppDelegate::mostWaitingFiles + 4;
    const HandedOver many = handOverInTurn(harness, count);
    ASSERT_EQ(many.opened.size(), AppDelegate::mostWaitingFiles + 1);
    EXPECT_EQ(many.opened.first(), FileMessages::opened(QStringLiteral("0.png"))) << "the file opening at the time";
    EXPECT_EQ(many.opened[1], FileMessages::opened(QStringLiteral("%1.png").arg(count - AppDelegate::mostWaitingFiles)));
}

TEST(AppDelegateTest, BecomingActiveReloadsTheHistory) {
    test::DelegateHarness harness;
    AppModel& model = harness.model();
    model.library().persist(fixtures::noise(60, 40), LocalLibrary::Prefix::capture, QStringLiteral("png"),
                            [&model](Result<CaptureRecord> result) { model.saved(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 5000));
    ASSERT_TRUE(QFile::remove(model.library().root() + QLatin1Char('/') + model.history().first().file));
    harness.delegate().becameActive();
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.history().isEmpty(); }, 5000)) << "the removed file leaves the list";
}

TEST(AppDelegateTest, TheFolderOpensOnlyWhileItExists) {
    test::DelegateHarness harness;
    OpenedUrls opened;
    const QString root = harness.model().library().root();
    // Made by the model's first load, in the background; removed before, it
    // would come back.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(root).isDir(); }, 10'000));
    harness.delegate().perform(ShellCommand::folder);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile(root)});

    ASSERT_TRUE(QDir(root).removeRecursively());
    harness.delegate().perform(ShellCommand::folder);
    EXPECT_EQ(opened.urls.size(), 1);
    EXPECT_FALSE(harness.model().error().has_value());
    EXPECT_FALSE(QFileInfo::exists(root)) << "the folder is not made here";
}

TEST(AppDelegateTest, TheAboutPanelNamesTheVersion) {
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));
    EXPECT_EQ(AboutPanel::message(), QStringLiteral("岚帧 Tavero 1.2"));
    test::DelegateHarness harness;
    harness.delegate().perform(ShellCommand::about);
    auto* panel = harness.window().findChild<QMessageBox*>();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->informativeText().endsWith(QStringLiteral("快捷键：Ctrl+Shift+2 截图，Ctrl+Shift+1 打开编辑器。")));
    panel->close();
}

TEST(AppDelegateTest, QuittingWhileRecordingShowsTheWindowAndKeepsTheProgramRunning) {
    test::DelegateHarness harness;
    test::ScriptedStudio* studio = nullptr;
    harness.makeStudio = [&studio](RecordingHost& model) {
        auto made = std::make_unique<test::ScriptedStudio>(model);
        studio = made.get();
        return made;
    };
    harness.window().hide();
    ASSERT_NE(studio, nullptr);
    studio->setPhase(RecordingPhase::countdown(2));
    EXPECT_EQ(harness.delegate().statusItem()->title(), QStringLiteral(" 2 秒后录制")) << "the item follows the studio";
    studio->setPhase(RecordingPhase(RecordingPhase::Kind::paused));
    EXPECT_FALSE(harness.delegate().shouldTerminate());
    EXPECT_EQ(harness.model().status(), QStringLiteral("正在结束录屏，完成后可以退出。"));
    EXPECT_TRUE(harness.window().isVisible());
    studio->setPhase(RecordingPhase(RecordingPhase::Kind::idle));
    EXPECT_TRUE(harness.delegate().shouldTerminate()) << "once the recording is saved the program may end";
}

TEST(AppDelegateTest, QuittingDuringAScrollingScreenshotFinishesAndKeepsItInsteadOfQuitting) {
    test::DelegateHarness harness;
    AppModel& model = harness.model();
    test::ScriptedFrames frames;
    test::CountingScrollControls controls;
    model.scrollSession().setStreamFactory(frames.factory());
    model.scrollSession().setControlsPresenter(&controls);
    harness.delegate().perform(ShellCommand::scroll);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(QRectF(200, 100, 400, 300));
    ASSERT_TRUE(model.scrollSession().isActive());
    EXPECT_FALSE(harness.window().isVisible()) << "the editor leaves while the page is scrolled";

    harness.delegate().perform(ShellCommand::openEditor);
    EXPECT_EQ(controls.presented, 1) << "the bar comes forward instead of the editor";
    EXPECT_FALSE(harness.window().isVisible());

    EXPECT_FALSE(harness.delegate().shouldTerminate());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 5000)) << "the long image is kept";
    EXPECT_FALSE(model.scrollSession().isActive());
    EXPECT_TRUE(harness.window().isVisible());
    EXPECT_TRUE(harness.delegate().shouldTerminate()) << "a second quit ends the program";
}

}  // namespace

#include "AppDelegateTest.moc"
