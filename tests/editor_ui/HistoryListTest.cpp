// The history tab: rows for the entries in view only, every entry reached
// from the keyboard, opening and joining entries, their menus, and moving
// them to the Trash without a reload.
#include "editor_ui/HistoryList.h"
#include "editor_ui/HistoryRow.h"
#include "editor_ui/Sidebar.h"
#include "editor_ui/Thumbnail.h"
#include "editor_ui/ErrorAlert.h"
#include "tests/editor_ui/MainViewFixture.h"
#include "tests/editor_ui/Samples.h"
#include "tests/support/Files.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>

using namespace tavero;

namespace {

class HistoryListTest : public test::MainViewTest {
protected:
    void SetUp() override {
        MainViewTest::SetUp();
        // The model's first load of the manifest answers before this one.
        bool loaded = false;
        model().library().load([&loaded](QList<CaptureRecord>, std::optional<ShotError>) { loaded = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 5000));
        openPicture(fixtures::screenshotLike(200, 100));
        state().setSidebarTab(MainViewState::historyTab);
        view->show();
    }

    HistoryList& list() { return *view->sidebar()->historyList(); }

    static CaptureRecord entry(const QString& file, const QString& kind = CaptureRecord::imageKind) {
        return {QUuid::createUuid(), file, file, QDateTime::currentDateTime(), 0, 0, kind};
    }

    // A picture in the library folder and its entry.
    CaptureRecord savedPicture(const QString& file, QSize size) {
        test::writeFile(harness.libraryFile(file),
                        ImageOps::png(fixtures::screenshotLike(size.width(), size.height()), QStringLiteral("png")));
        CaptureRecord record = entry(file);
        record.width = size.width();
        record.height = size.height();
        return record;
    }

    static QStringList texts(QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) texts.append(action->text());
        return texts;
    }

    static QAction* action(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions())
            if (action->text() == text) return action;
        return nullptr;
    }

    bool waitForHistorySize(qsizetype size) {
        return QTest::qWaitFor([&] { return model().history().size() == size; }, 5000);
    }
};

TEST_F(HistoryListTest, AnEmptyLibraryShowsOnlyItsText) {
    EXPECT_TRUE(list().emptyText()->isVisible());
    EXPECT_EQ(list().emptyText()->text(), QStringLiteral("保存后的截图和录屏会出现在这里。"));
    EXPECT_TRUE(list().rows().isEmpty());

    model().setHistory({entry(QStringLiteral("截图_1.png"))});
    EXPECT_FALSE(list().emptyText()->isVisible());
    EXPECT_EQ(list().rows().size(), 1);
}

TEST_F(HistoryListTest, FiveHundredEntriesBuildRowsAndThumbnailsOnlyForThoseInView) {
    QList<CaptureRecord> history;
    for (int index = 0; index < 500; ++index) history.append(entry(QStringLiteral("截图_%1.png").arg(index)));
    model().setHistory(history);

    const int inView = list().viewport()->height() / (list().rows().first()->height() + HistoryList::spacing) + 2;
    EXPECT_LE(list().rows().size(), inView);
    EXPECT_LE(list().findChildren<Thumbnail*>().size(), inView);
    EXPECT_EQ(list().rows().first()->record(), history.first());

    list().verticalScrollBar()->setValue(list().verticalScrollBar()->maximum());
    EXPECT_EQ(list().rows().last()->record(), history.last()) << "scrolled to the end";
    EXPECT_LE(list().findChildren<Thumbnail*>().size(), inView) << "rows are reused, not added";
    const QRect last = list().rows().last()->geometry();
    EXPECT_LE(last.bottom(), list().viewport()->height());
    EXPECT_GE(last.bottom(), list().viewport()->height() - 2);
}

// Down and Up walk every entry and stop at either end, each row wholly in
// view, with a few rows only; Shift+Tab comes back from the control after
// the list to the last entry, and from the first to the list.
TEST_F(HistoryListTest, TheKeyboardReachesEveryEntryThroughAFewRows) {
    QList<CaptureRecord> history;
    for (int index = 0; index < 60; ++index) history.append(entry(QStringLiteral("截图_%1.png").arg(index)));
    model().setHistory(history);
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    const int inView = list().viewport()->height() / (list().rows().first()->height() + HistoryList::spacing) + 2;
    const auto onEntry = [&](qsizetype index) -> ::testing::AssertionResult {
        auto* row = qobject_cast<HistoryRow*>(QApplication::focusWidget());
        if (!row || row->record() != history[index]) return ::testing::AssertionFailure() << "not on entry " << index;
        if (!list().viewport()->rect().contains(row->geometry()))
            return ::testing::AssertionFailure() << "entry " << index << " not wholly in view";
        return ::testing::AssertionSuccess();
    };
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };

    list().setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab);
    ASSERT_TRUE(onEntry(0));
    for (qsizetype index = 1; index < history.size(); ++index) {
        press(Qt::Key_Down);
        ASSERT_TRUE(onEntry(index));
    }
    press(Qt::Key_Down);
    EXPECT_TRUE(onEntry(history.size() - 1)) << "Down stops at the last";
    EXPECT_LE(list().findChildren<HistoryRow*>().size(), inView + 1) << "the rows in view and the last";

    press(Qt::Key_Tab);
    QWidget* after = QApplication::focusWidget();
    ASSERT_FALSE(list().isAncestorOf(after)) << "Tab leaves the list after its last entry";
    list().verticalScrollBar()->setValue(0);
    QTest::keyClick(after, Qt::Key_Backtab);
    EXPECT_TRUE(onEntry(history.size() - 1));
    for (qsizetype index = history.size() - 2; index >= 0; --index) {
        press(Qt::Key_Up);
        ASSERT_TRUE(onEntry(index));
    }
    press(Qt::Key_Up);
    EXPECT_TRUE(onEntry(0)) << "Up stops at the first";
    press(Qt::Key_Backtab);
    EXPECT_TRUE(list().hasFocus()) << "the list comes before its rows";
}

TEST_F(HistoryListTest, OnlyPicturesOfferTheJoinItems) {
    const QStringList picture{QStringLiteral("打开"), QStringLiteral("拼接到当前图片下方"),
                              QStringLiteral("拼接到当前图片右侧"), QStringLiteral("在文件管理器中显示"),
                              QStringLiteral("移到废纸篓")};
    const QStringList other{QStringLiteral("打开"), QStringLiteral("在文件管理器中显示"), QStringLiteral("移到废纸篓")};
    const CaptureRecord image = entry(QStringLiteral("截图.png"));
    const CaptureRecord video = entry(QStringLiteral("录屏.mp4"), CaptureRecord::videoKind);
    const CaptureRecord unknown = entry(QStringLiteral("动图.gif"), QStringLiteral("gif"));
    for (const auto& [record, expected] : {std::pair{image, picture}, {video, other}, {unknown, other}}) {
        std::unique_ptr<QMenu> menu(list().makeMenu(record));
        EXPECT_EQ(texts(menu.get()), expected) << record.file.toStdString();
    }

    model().setHistory({image, video, unknown});
    const QList<HistoryRow*> rows = list().rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_FALSE(rows[0]->thumbnail()->isVideo());
    EXPECT_TRUE(rows[1]->thumbnail()->isVideo());
    EXPECT_FALSE(rows[2]->thumbnail()->isVideo()) << "only \"video\" is a video";
}

TEST_F(HistoryListTest, ARowOpensItsEntryAndTheMenuJoinsItBelowOrBeside) {
    const CaptureRecord record = savedPicture(QStringLiteral("截图_旧.png"), QSize(120, 60));
    model().setHistory({record});
    QTest::mouseClick(list().rows().first(), Qt::LeftButton);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(120, 60));

    std::unique_ptr<QMenu> menu(list().makeMenu(record));
    action(menu.get(), QStringLiteral("拼接到当前图片下方"))->trigger();
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(120, 120));
    action(menu.get(), QStringLiteral("拼接到当前图片右侧"))->trigger();
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(240, 120));
}

TEST_F(HistoryListTest, TheFileManagerIsAskedForTheEntrysFile) {
    QStringList shown;
    list().setShowFile([&shown](const QString& path) { shown.append(path); });
    const CaptureRecord video = entry(QStringLiteral("录屏.mp4"), CaptureRecord::videoKind);
    std::unique_ptr<QMenu> menu(list().makeMenu(video));
    action(menu.get(), QStringLiteral("在文件管理器中显示"))->trigger();
    EXPECT_EQ(shown, QStringList{harness.libraryFile(QStringLiteral("录屏.mp4"))});
}

TEST_F(HistoryListTest, TrashRemovesTheRowWithoutReloadingTheLibrary) {
    const CaptureRecord kept = savedPicture(QStringLiteral("截图_留下.png"), QSize(40, 30));
    const CaptureRecord trashed = savedPicture(QStringLiteral("截图_删除.png"), QSize(40, 30));
    // Its file is gone, so a reload would drop it; the list keeps it.
    const CaptureRecord orphan = entry(QStringLiteral("截图_不见了.png"));
    model().setHistory({kept, trashed, orphan});

    std::unique_ptr<QMenu>(list().makeMenu(trashed))->actions().last()->trigger();
    ASSERT_TRUE(waitForHistorySize(2));
    EXPECT_EQ(model().history(), (QList<CaptureRecord>{kept, orphan}));
    EXPECT_EQ(list().rows().size(), 2);
    EXPECT_FALSE(QFileInfo::exists(harness.libraryFile(trashed.file)));
    EXPECT_TRUE(QFileInfo::exists(harness.home.path() + QStringLiteral("/.local/share/Trash/files/") + trashed.file));

    model().setHistory({kept});
    std::unique_ptr<QMenu>(list().makeMenu(kept))->actions().last()->trigger();
    ASSERT_TRUE(waitForHistorySize(0));
    EXPECT_TRUE(list().emptyText()->isVisible()) << "the last entry gone, the text is back";
    EXPECT_TRUE(list().rows().isEmpty());
}

TEST_F(HistoryListTest, AFailedTrashShowsTheAlertAndKeepsTheRow) {
    const CaptureRecord record = savedPicture(QStringLiteral("截图_留着.png"), QSize(40, 30));
    model().setHistory({record});
    test::writeFile(harness.home.path() + QStringLiteral("/.local/share/Trash"), "not a folder");

    std::unique_ptr<QMenu>(list().makeMenu(record))->actions().last()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model().error().has_value(); }, 5000));
    EXPECT_EQ(*model().error(), QStringLiteral("未能将“截图_留着.png”移到回收站。"));
    ASSERT_NE(view->errorAlert()->box(), nullptr);
    EXPECT_EQ(view->errorAlert()->box()->informativeText(), *model().error());
    EXPECT_EQ(model().history(), QList<CaptureRecord>{record});
    EXPECT_EQ(list().rows().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(harness.libraryFile(record.file)));
}

TEST_F(HistoryListTest, ALongNameWrapsToTwoLinesAndIsCutAfterTheSecond) {
    const QString longName = QStringLiteral("标注截图_2024-05-01_12-30-45_ABCDEF_一个很长很长很长的名字.png");
    model().setHistory({entry(QStringLiteral("短.png")), entry(longName)});
    const QStringList shortLines = list().rows()[0]->nameLines();
    EXPECT_EQ(shortLines, QStringList{QStringLiteral("短.png")});
    const QStringList lines = list().rows()[1]->nameLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(QChar(0x2026))) << lines[1].toStdString();
    EXPECT_TRUE(longName.startsWith(lines[0]));
}

TEST_F(HistoryListTest, ASampleForAPersonToLookAt) {
    if (!test::samplesWanted()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the sample";
    model().setHistory({savedPicture(QStringLiteral("截图_2024-05-01_12-30-45_ABCDEF.png"), QSize(1600, 1000)),
                        entry(QStringLiteral("录屏_2024-05-01_12-31-02_123456.mp4"), CaptureRecord::videoKind),
                        savedPicture(QStringLiteral("长截图.png"), QSize(400, 3000)),
                        entry(QStringLiteral("不见了.png"))});
    for (HistoryRow* row : list().rows()) {
        if (!row->record().file.contains(QStringLiteral("截图"))) continue;
        ASSERT_TRUE(QTest::qWaitFor([row] { return !row->thumbnail()->picture().isNull(); }, 5000));
    }
    test::writeSample(*view->sidebar(), QStringLiteral("history-list"));
}

}  // namespace
