// The contents of the editor window's sheets: recognised text, settings,
// the screen-access explanation and recent files, each opened the way the
// window opens it.
#include "editor_ui/OCRView.h"
#include "editor_ui/RecentFileRow.h"
#include "editor_ui/RecentFilesView.h"
#include "editor_ui/RecycledRowList.h"
#include "editor_ui/ScreenAccessView.h"
#include "editor_ui/SettingsView.h"
#include "editor_ui/ShortcutActionButton.h"
#include "editor_ui/SymbolLabel.h"
#include "editor_ui/Thumbnail.h"
#include "editor_ui/style/StartActionButton.h"
#include "tests/editor_ui/MainViewFixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace tavero;
using tavero::test::MainViewTest;

namespace {

class SheetsTest : public MainViewTest {
protected:
    // The content of type `View` of the one open sheet, or null.
    template <typename View>
    View* sheet() const {
        const QList<QDialog*> sheets = openSheets();
        return sheets.size() == 1 ? sheets.first()->findChild<View*>() : nullptr;
    }

    // A picture in the library, listed as the history lists it.
    CaptureRecord listed(const QString& file, const QString& kind = CaptureRecord::imageKind) {
        QDir().mkpath(harness.library());
        if (kind == CaptureRecord::imageKind) {
            EXPECT_TRUE(fixtures::screenshotLike(320, 200).save(harness.libraryFile(file)));
        }
        CaptureRecord record;
        record.id = QUuid::createUuid();
        record.name = file;
        record.file = file;
        record.created = QDateTime(QDate(2024, 5, 3), QTime(9, 30));
        record.kind = kind;
        return record;
    }

    // Writes the library's manifest and waits until the history lists it.
    void inHistory(const QList<CaptureRecord>& records) {
        QDir().mkpath(harness.library());
        QFile manifest(harness.libraryFile(QStringLiteral("index.json")));
        ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
        manifest.write(encodeManifest(records));
        manifest.close();
        model().refreshHistory();
        ASSERT_TRUE(QTest::qWaitFor([&] { return model().history().size() == records.size(); }, 5000));
    }
};

TEST_F(SheetsTest, CopyAllPutsTheEditedTextOnTheClipboardAndKeepsTheSheetOpen) {
    QGuiApplication::clipboard()->setText(QStringLiteral("旧内容"));
    model().setOcrText(QStringLiteral("第一行\nSecond line"));
    model().setShowOCR(true);
    OCRView* ocr = sheet<OCRView>();
    ASSERT_NE(ocr, nullptr);
    EXPECT_EQ(ocr->editor()->toPlainText(), QStringLiteral("第一行\nSecond line"));

    ocr->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(ocr->editor(), QStringLiteral("!"));
    EXPECT_EQ(model().ocrText(), QStringLiteral("第一行\nSecond line!")) << "every keystroke reaches the model";
    ocr->copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("第一行\nSecond line!"));
    EXPECT_EQ(model().status(), QStringLiteral("已复制识别文字。"));
    EXPECT_EQ(sheet<OCRView>(), ocr) << "the sheet stays open";

    ocr->closeButton()->click();
    EXPECT_FALSE(model().showOCR());
    EXPECT_TRUE(openSheets().isEmpty());
    model().setShowOCR(true);
    ASSERT_NE(sheet<OCRView>(), nullptr);
    EXPECT_EQ(sheet<OCRView>()->editor()->toPlainText(), QStringLiteral("第一行\nSecond line!"))
        << "the edits come back with the sheet";

    model().setStatus(QString());
    sheet<OCRView>()->editor()->clear();
    sheet<OCRView>()->copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << "an empty text replaces the clipboard too";
    EXPECT_EQ(model().status(), QStringLiteral("已复制识别文字。"));
}

TEST_F(SheetsTest, SettingsEditAutoSaveAndThePointerAtOnce) {
    view->setWindowTitle(QStringLiteral("岚帧 Tavero"));
    state().setSettings(true);
    SettingsView* settings = sheet<SettingsView>();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(openSheets().first()->windowTitle(), QStringLiteral("岚帧 Tavero")) << "titled as its window";
    EXPECT_TRUE(settings->autoSaveToggle()->isChecked());
    EXPECT_FALSE(settings->cursorToggle()->isChecked());
    EXPECT_EQ(settings->libraryPath()->text(), model().library().root());

    settings->autoSaveToggle()->click();
    EXPECT_FALSE(model().autoSave());
    EXPECT_EQ(QSettings().value(QStringLiteral("autoSave")).toString(), QStringLiteral("false"));
    settings->cursorToggle()->click();
    EXPECT_TRUE(model().includeCursor());
    EXPECT_TRUE(model().capture().includeCursor()) << "the next still shows the pointer";

    model().setAutoSave(true);
    EXPECT_TRUE(settings->autoSaveToggle()->isChecked()) << "the sheet follows the model";

    settings->doneButton()->click();
    EXPECT_FALSE(state().settings());
    EXPECT_TRUE(openSheets().isEmpty());
    EXPECT_TRUE(model().includeCursor()) << "closing keeps what was set";
}

// The classes of the shown controls of the open sheet that take the focus
// but have no name a screen reader could read.
QStringList unnamedControls(const QDialog& sheet) {
    QStringList unnamed;
    for (QWidget* control : sheet.findChildren<QWidget*>())
        if (control->isVisible() && (control->focusPolicy() & Qt::TabFocus) &&
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
            unnamed.append(QString::fromUtf8(control->metaObject()->className()));
    return unnamed;
}

TEST_F(SheetsTest, ScreenReadersNameEachSheetByItsHeadingAndEachOfItsControls) {
    inHistory({listed(QStringLiteral("截图.png"))});
    const auto expectNamed = [&](const QString& heading) {
        const QList<QDialog*> sheets = openSheets();
        ASSERT_EQ(sheets.size(), 1);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(sheets.first())->text(QAccessible::Name), heading);
        EXPECT_EQ(unnamedControls(*sheets.first()).join(QStringLiteral(", ")), QString()) << heading.toStdString();
    };
    state().setSettings(true);
    expectNamed(QStringLiteral("设置与快捷键"));
    state().setSettings(false);
    state().setRecentFiles(true);
    expectNamed(QStringLiteral("最近的截图与录屏"));
    state().setRecentFiles(false);
    model().setShowOCR(true);
    expectNamed(QStringLiteral("识别出的文字"));
}

TEST(SettingsVersionTest, TheVersionLineIsTheBrandAndTheVersionIfAny) {
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));
    EXPECT_EQ(SettingsView::versionLine(), QStringLiteral("岚帧 1.2"));
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_EQ(SettingsView::versionLine(), QStringLiteral("岚帧 "));
}

class ScreenAccessTest : public SheetsTest {
protected:
    ScreenAccessTest() { accessGranted = false; }

    // The explanation for a waiting screenshot, shown and taking keys.
    QDialog* explain() {
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        model().take(CaptureMode::area, false);
        const QList<QDialog*> sheets = openSheets();
        if (sheets.size() != 1) return nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == sheets.first(); }));
        return sheets.first();
    }
};

TEST_F(ScreenAccessTest, TheExplanationNamesTheWaitingAction) {
    model().setScreenAccessIntent(ScreenAccessIntent::recording(false));
    ScreenAccessView* recording = sheet<ScreenAccessView>();
    ASSERT_NE(recording, nullptr);
    EXPECT_EQ(recording->title()->text(), QStringLiteral("第一次录屏，先允许读取屏幕"));
    EXPECT_EQ(recording->continueButton()->text(), QStringLiteral("继续录屏"));
    ASSERT_EQ(recording->steps().size(), 3);
    EXPECT_EQ(recording->steps()[2]->text()->text(), QStringLiteral("然后选择范围和声音，点击「开始录制」。"));
    EXPECT_EQ(recording->steps()[2]->symbol(), QStringLiteral("3.circle"));
    model().setScreenAccessIntent(std::nullopt);

    model().setScreenAccessIntent(ScreenAccessIntent::screenshot(CaptureMode::full, false));
    ScreenAccessView* screenshot = sheet<ScreenAccessView>();
    ASSERT_NE(screenshot, nullptr);
    EXPECT_EQ(screenshot->title()->text(), QStringLiteral("第一次截图，先允许读取屏幕"));
    EXPECT_EQ(screenshot->continueButton()->text(), QStringLiteral("继续截图"));
    EXPECT_EQ(screenshot->steps()[2]->text()->text(), QStringLiteral("然后拖出一个区域，松开鼠标即可截图。"));
}

TEST_F(ScreenAccessTest, EscapePostponesAndStartsNothing) {
    QDialog* sheet = explain();
    ASSERT_NE(sheet, nullptr);
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_TRUE(openSheets().isEmpty());
    EXPECT_FALSE(model().screenAccessIntent());
    QTest::qWait(50);
    EXPECT_FALSE(harness.overlay.isOpen());
    EXPECT_FALSE(model().busy());
}

TEST_F(ScreenAccessTest, ReturnContinuesAndTheScreenshotStartsOnlyAfterTheSheetIsGone) {
    QDialog* sheet = explain();
    ASSERT_NE(sheet, nullptr);
    std::optional<bool> sheetShownWhenCaptureStarted;
    QObject::connect(&model(), &AppModel::busyChanged, view.get(), [&] {
        if (model().busy()) sheetShownWhenCaptureStarted = !openSheets().isEmpty();
    });
    QTest::keyClick(sheet, Qt::Key_Return);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    EXPECT_EQ(sheetShownWhenCaptureStarted, false);
    EXPECT_FALSE(model().screenAccessIntent());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());
}

TEST_F(SheetsTest, RecentFilesShowTheEmptyStateUntilTheLibraryHasEntries) {
    state().setRecentFiles(true);
    RecentFilesView* recent = sheet<RecentFilesView>();
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->content(), recent->emptyState());
    EXPECT_TRUE(recent->rows().isEmpty());

    const CaptureRecord video = listed(QStringLiteral("录屏.mp4"), CaptureRecord::videoKind);
    QFile(harness.libraryFile(video.file)).open(QIODevice::WriteOnly);
    inHistory({video, listed(QStringLiteral("截图.png"))});
    EXPECT_NE(recent->content(), recent->emptyState());
    ASSERT_EQ(recent->rows().size(), 2);
    const Thumbnail* videoThumbnail = recent->rows()[0]->thumbnail();
    EXPECT_TRUE(videoThumbnail->isVideo());
    EXPECT_EQ(videoThumbnail->path(), harness.libraryFile(QStringLiteral("录屏.mp4")));
    EXPECT_FALSE(recent->rows()[1]->thumbnail()->isVideo());
    EXPECT_EQ(recent->rows()[1]->dayLabel()->text(), QStringLiteral("2024年5月3日")) << "the day only";

    model().setHistory({});
    EXPECT_EQ(recent->content(), recent->emptyState());
    recent->doneButton()->click();
    EXPECT_FALSE(state().recentFiles());
}

TEST_F(SheetsTest, ALongLibraryBuildsRowsOnlyForTheEntriesInView) {
    QList<CaptureRecord> history;
    for (int index = 0; index < 5000; ++index) {
        const QString file = QStringLiteral("截图_%1.png").arg(index);
        history.append({QUuid::createUuid(), file, file, QDateTime::currentDateTime(), 0, 0, CaptureRecord::imageKind});
    }
    model().setHistory(history);
    state().setRecentFiles(true);
    RecentFilesView* recent = sheet<RecentFilesView>();
    ASSERT_NE(recent, nullptr);
    const int inView = recent->list()->viewport()->height() / recent->rows().first()->height() + 2;
    EXPECT_LE(recent->rows().size(), inView);
    EXPECT_EQ(recent->rows().first()->record(), history.first());

    recent->list()->verticalScrollBar()->setValue(recent->list()->verticalScrollBar()->maximum());
    EXPECT_EQ(recent->rows().last()->record(), history.last()) << "scrolled to the end";
    EXPECT_LE(recent->findChildren<Thumbnail*>().size(), inView) << "rows are reused, not added";
}

TEST_F(SheetsTest, AClickOnAnEntryClosesTheSheetAndOpensItsFile) {
    inHistory({listed(QStringLiteral("截图.png"))});
    state().setRecentFiles(true);
    RecentFilesView* recent = sheet<RecentFilesView>();
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->rows().size(), 1);

    recent->rows().first()->click();
    EXPECT_FALSE(state().recentFiles());
    EXPECT_TRUE(openSheets().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !document().image().isNull(); }, 5000));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(document().image().size(), QSize(320, 200));
    EXPECT_FALSE(MainViewState::showsStartScreen(model(), document()));
}

TEST_F(SheetsTest, AClickWhileTheModelIsBusyStillClosesTheSheet) {
    inHistory({listed(QStringLiteral("截图.png"))});
    makeBusy();
    state().setRecentFiles(true);
    RecentFilesView* recent = sheet<RecentFilesView>();
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->rows().size(), 1);
    recent->rows().first()->click();
    EXPECT_FALSE(state().recentFiles());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_TRUE(document().image().isNull()) << "the model ignored the request";
}

}  // namespace
