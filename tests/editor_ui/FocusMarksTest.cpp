// Focus a keyboard user can see: every control that Tab reaches in the
// editor window and its sheets looks different while it has the focus, and
// a click alone draws no mark.
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

    void expectEveryStopMarked(QWidget& window, int fewestStops) {
        int reached = 0;
        const QStringList unmarked = test::unmarkedAlongTab(window, &reached);
        EXPECT_GE(reached, fewestStops) << "Tab stopped going round";
        EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join(QLatin1Char('\n')).toStdString();
    }

    static CaptureRecord entry(const QString& file) {
        return {QUuid::createUuid(), file, file, QDateTime::currentDateTime(), 0, 0, CaptureRecord::imageKind};
    }
};

TEST_F(FocusMarksTest, EveryStopOfTheStartWindowShowsItsFocus) {
    showWindow();
    expectEveryStopMarked(*view, 11);
}

TEST_F(FocusMarksTest, EveryStopOfTheEditorWithAllToolsAndOfItsHistoryShowsItsFocus) {
    openPicture();
    state().setMoreTools(true);
    showWindow();
    expectEveryStopMarked(*view, 40);

    model().setHistory({entry(QStringLiteral("截图_1.png")), entry(QStringLiteral("截图_2.png"))});
    state().setSidebarTab(MainViewState::historyTab);
    expectEveryStopMarked(*view, 20);
}

TEST_F(FocusMarksTest, EveryStopOfTheSettingsTextAndRecentFilesSheetsShowsItsFocus) {
    openPicture();
    showWindow();
    model().setOcrText(QStringLiteral("第一行\n第二行"));
    model().setHistory({entry(QStringLiteral("截图_1.png")), entry(QStringLiteral("截图_2.png"))});
    const QList<std::pair<std::function<void(bool)>, int>> sheets{
        {[&](bool open) { state().setSettings(open); }, 5},
        {[&](bool open) { model().setShowOCR(open); }, 3},
        {[&](bool open) { state().setRecentFiles(open); }, 4},
    };
    for (const auto& [show, fewestStops] : sheets) {
        show(true);
        QDialog* sheet = activeSheet();
        ASSERT_NE(sheet, nullptr);
        expectEveryStopMarked(*sheet, fewestStops);
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
    expectEveryStopMarked(*sheet, 14);
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
