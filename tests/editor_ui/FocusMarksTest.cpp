// Focus a keyboard user can see: every control that Tab reaches in the
// editor window and its sheets shows a mark that stands out by 3:1 from what
// it covers and what lies beside it, over at least the area of a 2 px line
// around the control, and is named for screen readers; Tab goes in reading
// order; a click alone draws no mark.
#include "document/ui/CanvasView.h"
#include "tests/editor_ui/FocusMarks.h"
#include "tests/editor_ui/MainViewFixture.h"

using namespace tavero;

namespace {

class FocusMarksTest : public test::MainViewTest {
protected:
    void showWindow() {
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    // The one open sheet, once it has the keyboard.
    QDialog* activeSheet() {
        if (!QTest::qWaitFor([&] { return openSheets().size() == 1; }, 5000)) return nullptr;
        QDialog* sheet = openSheets().first();
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == sheet; }, 5000) ? sheet : nullptr;
    }

    static CaptureRecord entry(const QString& file) {
        return {QUuid::createUuid(), file, file, QDateTime::currentDateTime(), 0, 0, CaptureRecord::imageKind};
    }
};

// With a picture to go back to, so 继续编辑当前图片 shows beside the tagline.
TEST_F(FocusMarksTest, EveryStopOfTheStartWindowShowsItsFocus) {
    openPicture();
    model().goHome();
    showWindow();
    test::expectEveryStopShownNamedAndInOrder(*view, 12);
}

// Thrice as many entries as the list shows: Tab reaches every one, each
// scrolled wholly into view with its mark.
TEST_F(FocusMarksTest, EveryStopOfTheEditorWithAllToolsAndOfItsHistoryShowsItsFocus) {
    openPicture();
    state().setMoreTools(true);
    state().setImageDimensions(true);
    showWindow();
    test::expectEveryStopShownNamedAndInOrder(*view, 44);

    QList<CaptureRecord> history;
    for (int index = 1; index <= 21; ++index) history.append(entry(QStringLiteral("截图_%1.png").arg(index)));
    model().setHistory(history);
    state().setSidebarTab(MainViewState::historyTab);
    test::expectEveryStopShownNamedAndInOrder(*view, 41);
}

TEST_F(FocusMarksTest, EveryStopOfTheSettingsTextAndRecentFilesSheetsShowsItsFocus) {
    openPicture();
    showWindow();
    model().setOcrText(QStringLiteral("第一行\n第二行"));
    // Thrice as many as the recent files' list shows whole.
    QList<CaptureRecord> history;
    for (int index = 1; index <= 15; ++index) history.append(entry(QStringLiteral("截图_%1.png").arg(index)));
    model().setHistory(history);
    const QList<std::pair<std::function<void(bool)>, int>> sheets{
        {[&](bool open) { state().setSettings(open); }, 5},
        {[&](bool open) { model().setShowOCR(open); }, 3},
        {[&](bool open) { state().setRecentFiles(open); }, 18},
    };
    for (const auto& [show, fewestStops] : sheets) {
        show(true);
        QDialog* sheet = activeSheet();
        ASSERT_NE(sheet, nullptr);
        test::expectEveryStopShownNamedAndInOrder(*sheet, fewestStops);
        show(false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return openSheets().isEmpty(); }, 5000));
    }
}

TEST_F(FocusMarksTest, EveryStopOfTheBackgroundSheetShowsItsFocus) {
    openPicture();
    showWindow();
    view->openBackground();
    QDialog* sheet = activeSheet();
    ASSERT_NE(sheet, nullptr);
    test::expectEveryStopShownNamedAndInOrder(*sheet, 14);
}

TEST_F(FocusMarksTest, TheCanvasShowsTheMarkWhenTabbedToButNotWhenClicked) {
    openPicture();
    document().choose(MarkTool::move);
    showWindow();
    auto* canvas = view->findChild<CanvasView*>();
    ASSERT_NE(canvas, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->showsSettledPicture(); }, 5000));

    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(canvas->hasFocus());
    const test::FocusPictures clicked = test::withAndWithoutFocus(*canvas);
    EXPECT_EQ(test::changedPixels(clicked.unfocused, clicked.focused), 0);

    EXPECT_GE(test::markPixelsByTab(*canvas), test::smallestMark);
}

}  // namespace
