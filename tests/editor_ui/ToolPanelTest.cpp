// The sidebar's tool panel: what it shows for each tool, the buttons it
// enables, resizing, the background button, and one undo step per slider
// gesture, a click on the track included.
#include "editor_ui/CoverControls.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ExpansionButton.h"
#include "editor_ui/ImageDimensions.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/Sidebar.h"
#include "editor_ui/StrokeControls.h"
#include "editor_ui/TextControls.h"
#include "editor_ui/ToolGrid.h"
#include "editor_ui/ToolPanel.h"
#include "editor_ui/style/FocusRing.h"
#include "tests/editor_ui/FocusMarks.h"
#include "tests/editor_ui/MainViewFixture.h"
#include "tests/editor_ui/Samples.h"
#include "tests/editor_ui/SliderGestures.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>

using namespace tavero;

namespace {

class ToolPanelTest : public test::MainViewTest {
protected:
    void SetUp() override {
        MainViewTest::SetUp();
        openPicture();
        view->show();
    }

    ToolPanel& panel() { return *view->sidebar()->toolPanel(); }

    static QStringList titles(const ToolGrid& grid) {
        QStringList titles;
        for (const ToolGridButton* button : grid.buttons()) titles.append(button->text());
        return titles;
    }

    // The tools drawn selected in `grid`.
    static QList<MarkTool> selected(const ToolGrid& grid) {
        QList<MarkTool> tools;
        for (const ToolGridButton* button : grid.buttons())
            if (button->isSelected()) tools.append(button->tool());
        return tools;
    }

    // Makes the panel's widget visible inside its scroll view.
    void reveal(QWidget* widget) {
        auto* scroll = qobject_cast<QScrollArea*>(view->sidebar()->currentPage());
        ASSERT_NE(scroll, nullptr);
        scroll->ensureWidgetVisible(widget, 0, 40);
    }

    Mark label(double fontSize = 40) {
        Mark mark = test::makeMark(MarkTool::text, {{100, 100}});
        mark.text = QStringLiteral("标签");
        mark.fontSize = fontSize;
        return mark;
    }

    const Mark& markWith(const QUuid& id) {
        for (const Mark& mark : document().marks())
            if (mark.id == id) return mark;
        throw std::runtime_error("no such mark");
    }
};

TEST_F(ToolPanelTest, TheArrowToolShowsTheCommonToolsColoursWidthEditRowBackgroundAndHint) {
    ASSERT_EQ(document().tool(), MarkTool::arrow);
    EXPECT_EQ(titles(*panel().commonTools()), (QStringList{QStringLiteral("选择"), QStringLiteral("箭头"),
                                                          QStringLiteral("方框"), QStringLiteral("文字"),
                                                          QStringLiteral("马赛克"), QStringLiteral("裁剪")}));
    EXPECT_EQ(selected(*panel().commonTools()), QList<MarkTool>{MarkTool::arrow});
    EXPECT_FALSE(panel().moreToolsButton()->isExpanded());
    EXPECT_EQ(panel().moreToolsButton()->accessibleDescription(), QStringLiteral("已收起"));
    EXPECT_FALSE(shows(panel().otherTools()));

    EXPECT_TRUE(shows(panel().strokeControls()));
    const QList<InkButton*>& inks = panel().strokeControls()->inkButtons();
    ASSERT_EQ(inks.size(), 7);
    EXPECT_TRUE(inks.first()->isChosen());
    EXPECT_EQ(inks.first()->accessibleName(), QStringLiteral("标注颜色 红色"));
    EXPECT_EQ(inks.last()->accessibleName(), QStringLiteral("标注颜色 白色"));
    EXPECT_EQ(panel().strokeControls()->widthLabel()->text(), QStringLiteral("8"));
    EXPECT_FALSE(shows(panel().coverControls()));
    EXPECT_FALSE(shows(panel().textControls()));

    EXPECT_TRUE(shows(panel().undoButton()));
    EXPECT_FALSE(panel().undoButton()->isEnabled()) << "a fresh picture has nothing to undo";
    EXPECT_FALSE(panel().redoButton()->isEnabled());
    EXPECT_FALSE(panel().deleteButton()->isEnabled()) << "nothing is selected";
    EXPECT_EQ(panel().undoButton()->toolTip(), QStringLiteral("撤销 Ctrl+Z"));
    EXPECT_EQ(panel().redoButton()->toolTip(), QStringLiteral("重做 Shift+Ctrl+Z"));

    EXPECT_TRUE(panel().backgroundButton()->isEnabled());
    EXPECT_EQ(panel().backgroundButton()->text(), QStringLiteral("背景 · 渐变与纯色"));
    EXPECT_FALSE(panel().dimensionsButton()->isExpanded());
    EXPECT_FALSE(shows(panel().dimensions()));
    EXPECT_EQ(panel().hint()->text(), QStringLiteral("在图片上拖动即可标注。操作都可撤销。"));
    test::writeSample(*view->sidebar(), QStringLiteral("tool-panel-arrow"));
}

// A screen reader hears the sliders by their captions, and which colour is
// chosen; a click on the chosen colour keeps it chosen.
TEST_F(ToolPanelTest, ScreenReadersHearTheSlidersCaptionsAndTheChosenColour) {
    const auto reader = [](QWidget* control) { return QAccessible::queryAccessibleInterface(control); };
    EXPECT_EQ(reader(panel().strokeControls()->widthSlider())->text(QAccessible::Name), QStringLiteral("粗细"));
    EXPECT_EQ(reader(panel().textControls()->fontSizeSlider())->text(QAccessible::Name), QStringLiteral("字号"));

    const QList<InkButton*>& inks = panel().strokeControls()->inkButtons();
    const auto checked = [&] {
        QList<qsizetype> indices;
        for (qsizetype index = 0; index < inks.size(); ++index)
            if (reader(inks[index])->state().checked) indices.append(index);
        return indices;
    };
    EXPECT_EQ(checked(), QList<qsizetype>{0});
    inks[3]->click();
    EXPECT_EQ(document().ink(), Ink::palette[3]);
    EXPECT_EQ(checked(), QList<qsizetype>{3});
    inks[3]->click();
    EXPECT_EQ(checked(), QList<qsizetype>{3}) << "still chosen";
    reader(inks[5])->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(document().ink(), Ink::palette[5]) << "a screen reader's press chooses as a click does";
    EXPECT_EQ(checked(), QList<qsizetype>{5});
}

TEST_F(ToolPanelTest, MoreToolsShowsTheOtherSixAndTheChosenOneOnlyThere) {
    panel().moreToolsButton()->click();
    EXPECT_TRUE(state().moreTools());
    EXPECT_EQ(panel().moreToolsButton()->accessibleDescription(), QStringLiteral("已展开"));
    ASSERT_TRUE(shows(panel().otherTools()));
    EXPECT_EQ(titles(*panel().otherTools()), (QStringList{QStringLiteral("圆圈"), QStringLiteral("画笔"),
                                                         QStringLiteral("高亮"), QStringLiteral("序号"),
                                                         QStringLiteral("遮挡"), QStringLiteral("聚光")}));
    panel().otherTools()->button(MarkTool::pen)->click();
    EXPECT_EQ(document().tool(), MarkTool::pen);
    EXPECT_EQ(selected(*panel().otherTools()), QList<MarkTool>{MarkTool::pen});
    EXPECT_TRUE(selected(*panel().commonTools()).isEmpty());

    panel().moreToolsButton()->click();
    EXPECT_FALSE(state().moreTools());
    EXPECT_FALSE(shows(panel().otherTools()));
}

TEST_F(ToolPanelTest, TheTextSectionFollowsTheToolAndTheSelectedLabel) {
    document().choose(MarkTool::counter);
    EXPECT_TRUE(shows(panel().textControls()));
    EXPECT_FALSE(shows(panel().textControls()->header())) << "the counter has only the font size";
    EXPECT_TRUE(shows(panel().textControls()->fontSizeSlider()));

    document().choose(MarkTool::text);
    EXPECT_TRUE(shows(panel().textControls()->header()));
    EXPECT_EQ(panel().textControls()->title()->text(), QStringLiteral("添加文字"));
    EXPECT_EQ(panel().hint()->text(), QStringLiteral("点击已有文字可修改；点击空白处添加新文字。"));

    document().choose(MarkTool::move);
    document().add(label());
    EXPECT_TRUE(shows(panel().textControls()->header())) << "a selected label shows the text section";
    EXPECT_EQ(panel().textControls()->title()->text(), QStringLiteral("编辑选中文字"));
    EXPECT_EQ(panel().textControls()->fontSizeLabel()->text(), QStringLiteral("40"));

    panel().textControls()->newTextButton()->click();
    EXPECT_EQ(document().tool(), MarkTool::text);
    EXPECT_FALSE(document().selected());
    EXPECT_EQ(panel().textControls()->title()->text(), QStringLiteral("添加文字"));

    document().choose(MarkTool::rectangle);
    EXPECT_FALSE(shows(panel().textControls()));
}

TEST_F(ToolPanelTest, OnlyThePixelateToolSwapsInTheCoverControls) {
    document().choose(MarkTool::redact);
    EXPECT_TRUE(shows(panel().strokeControls()));
    EXPECT_FALSE(shows(panel().coverControls()));

    document().choose(MarkTool::pixelate);
    EXPECT_FALSE(shows(panel().strokeControls()));
    EXPECT_TRUE(shows(panel().coverControls()));
    EXPECT_EQ(panel().hint()->text(), QStringLiteral("拖动框选要遮盖的区域，画完仍可调节效果。"));
    test::writeSample(*view->sidebar(), QStringLiteral("tool-panel-pixelate"));
}

TEST_F(ToolPanelTest, UndoRedoAndDeleteEnableWithTheDocument) {
    document().add(test::makeMark(MarkTool::rectangle, {{10, 10}, {200, 120}}));
    EXPECT_TRUE(panel().undoButton()->isEnabled());
    EXPECT_TRUE(panel().deleteButton()->isEnabled()) << "the new mark is selected";
    panel().deleteButton()->click();
    EXPECT_TRUE(document().marks().isEmpty());
    EXPECT_FALSE(panel().deleteButton()->isEnabled());

    panel().undoButton()->click();
    EXPECT_EQ(document().marks().size(), 1);
    EXPECT_TRUE(panel().redoButton()->isEnabled());
    panel().redoButton()->click();
    EXPECT_TRUE(document().marks().isEmpty());
    EXPECT_FALSE(panel().redoButton()->isEnabled());
}

TEST_F(ToolPanelTest, TheWidthSliderChangesOnlyTheNextMarks) {
    document().add(test::makeMark(MarkTool::rectangle, {{10, 10}, {200, 120}}));
    document().undo();
    document().redo();
    reveal(panel().strokeControls());
    SteppedSlider& slider = *panel().strokeControls()->widthSlider();
    test::drag(slider, 8, 14);
    EXPECT_EQ(document().lineWidth(), 14);
    EXPECT_EQ(panel().strokeControls()->widthLabel()->text(), QStringLiteral("14"));
    EXPECT_FALSE(document().canRedo()) << "no undo step was recorded";
    document().undo();
    EXPECT_TRUE(document().marks().isEmpty()) << "the one step was the mark";
    EXPECT_EQ(document().lineWidth(), 14);
}

TEST_F(ToolPanelTest, EveryFontSizeDragIsOneUndoStepTrackClicksIncluded) {
    document().choose(MarkTool::move);
    document().add(label(40));
    const QUuid id = *document().selected();
    reveal(panel().textControls());
    SteppedSlider& slider = *panel().textControls()->fontSizeSlider();

    test::drag(slider, 40, 60);
    EXPECT_EQ(markWith(id).fontSize, 60);
    EXPECT_EQ(panel().textControls()->fontSizeLabel()->text(), QStringLiteral("60"));
    test::drag(slider, 60, 80);
    test::clickTrack(slider, 30);
    EXPECT_EQ(markWith(id).fontSize, 30);

    document().undo();
    EXPECT_EQ(markWith(id).fontSize, 80) << "the track click";
    document().undo();
    EXPECT_EQ(markWith(id).fontSize, 60) << "the second drag";
    document().undo();
    EXPECT_EQ(markWith(id).fontSize, 40) << "the first drag";
    document().undo();
    EXPECT_TRUE(document().marks().isEmpty()) << "then the label itself";
}

TEST_F(ToolPanelTest, EveryCoverSliderDragIsOneUndoStepTrackClicksIncluded) {
    document().choose(MarkTool::pixelate);
    document().add(test::coverMark(QRectF(20, 20, 300, 200), ObscureSettings{}));
    const QUuid id = *document().selected();
    CoverControls& cover = *panel().coverControls();
    reveal(&cover);

    test::drag(*cover.strengthSlider(), 24, 40);
    EXPECT_EQ(markWith(id).obscure->strength, 40);
    EXPECT_EQ(cover.strengthLabel()->text(), QStringLiteral("40"));
    test::clickTrack(*cover.opacitySlider(), 0.6, 100);
    EXPECT_DOUBLE_EQ(markWith(id).obscure->opacity, 0.6);
    EXPECT_EQ(markWith(id).obscure->strength, 40) << "one field never resets another";

    document().undo();
    EXPECT_DOUBLE_EQ(markWith(id).obscure->opacity, 0.28);
    EXPECT_EQ(markWith(id).obscure->strength, 40);
    document().undo();
    EXPECT_EQ(markWith(id).obscure->strength, 24) << "the whole drag in one step";
    document().undo();
    EXPECT_TRUE(document().marks().isEmpty());
}

TEST_F(ToolPanelTest, CoverStylesRenameTheStrengthAndHideTheWash) {
    document().choose(MarkTool::pixelate);
    CoverControls& cover = *panel().coverControls();
    EXPECT_EQ(cover.strengthCaption()->text(), QStringLiteral("模糊"));
    EXPECT_EQ(cover.strengthLabel()->text(), QStringLiteral("24"));
    EXPECT_TRUE(shows(cover.opacityRow()));
    EXPECT_EQ(cover.opacityLabel()->text(), QStringLiteral("28%"));

    cover.stylePicker()->segment(2)->click();
    EXPECT_EQ(document().obscureSettings().style, ObscureStyle::pixel);
    EXPECT_EQ(cover.strengthCaption()->text(), QStringLiteral("颗粒"));
    EXPECT_EQ(cover.strengthSlider()->accessibleName(), QStringLiteral("颗粒大小"));
    EXPECT_FALSE(shows(cover.opacityRow()));
    cover.stylePicker()->segment(1)->click();
    EXPECT_EQ(cover.strengthCaption()->text(), QStringLiteral("模糊"));
    EXPECT_EQ(cover.strengthSlider()->accessibleName(), QStringLiteral("模糊强度"));
    EXPECT_FALSE(shows(cover.opacityRow()));
    EXPECT_FALSE(document().canUndo()) << "without a selected cover only the settings change";

    document().add(test::coverMark(QRectF(20, 20, 300, 200), document().obscureSettings()));
    cover.stylePicker()->segment(2)->click();
    cover.stylePicker()->segment(1)->click();
    cover.stylePicker()->segment(1)->click();
    document().undo();
    EXPECT_EQ(document().marks().first().obscure->style, ObscureStyle::pixel);
    document().undo();
    EXPECT_EQ(document().marks().first().obscure->style, ObscureStyle::soft) << "two styles, two steps";
    cover.stylePicker()->segment(0)->click();
    EXPECT_TRUE(shows(cover.opacityRow()));
    EXPECT_EQ(cover.opacityLabel()->text(), QStringLiteral("28%")) << "the wash was kept";
}

TEST_F(ToolPanelTest, TheWashReadsTenToSeventyPercentInStepsOfFive) {
    document().choose(MarkTool::pixelate);
    CoverControls& cover = *panel().coverControls();
    reveal(&cover);
    SteppedSlider& slider = *cover.opacitySlider();
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Home);
    QStringList shown{cover.opacityLabel()->text()};
    for (int step = 0; step < 14; ++step) {
        QTest::keyClick(&slider, Qt::Key_Right);
        if (cover.opacityLabel()->text() != shown.last()) shown.append(cover.opacityLabel()->text());
    }
    QStringList expected;
    for (int percent = 10; percent <= 70; percent += 5) expected.append(QString::number(percent) + QLatin1Char('%'));
    EXPECT_EQ(shown, expected);
    EXPECT_DOUBLE_EQ(document().obscureSettings().opacity, 0.7);
}

TEST_F(ToolPanelTest, TheResizeFieldTakesWholeWidthsFromSixteenToSixteenThousand) {
    // The picture's new size; none when the width was ignored.
    const auto resizeTo = [&](const QString& typed) -> std::optional<QSize> {
        openPicture(fixtures::screenshotLike(1000, 3));
        state().setImageDimensions(true);
        ImageDimensions& group = *panel().dimensions();
        group.widthField()->selectAll();
        QTest::keyClick(group.widthField(), Qt::Key_Backspace);
        QTest::keyClicks(group.widthField(), typed);
        EXPECT_EQ(state().resizeWidth(), typed);
        group.resizeButton()->click();
        if (!model().busy()) return std::nullopt;
        EXPECT_TRUE(harness.waitUntilIdle());
        return document().image().size();
    };
    EXPECT_EQ(resizeTo(QStringLiteral("+800")), QSize(800, 2));
    EXPECT_EQ(resizeTo(QStringLiteral("16")), QSize(16, 1)) << "16 × 3 / 1000 is raised to 1";
    EXPECT_EQ(resizeTo(QStringLiteral("16000")), QSize(16000, 48));
    for (const char* ignored : {"15", "16001", "12.5", "abc", ""})
        EXPECT_EQ(resizeTo(QString::fromLatin1(ignored)), std::nullopt) << ignored;
    EXPECT_TRUE(state().resizeWidth().isEmpty()) << "kept as typed";
}

TEST_F(ToolPanelTest, TheBackgroundOpensOnlyWhileThePictureIsUnchanged) {
    panel().backgroundButton()->click();
    document().add(test::makeMark(MarkTool::rectangle, {{10, 10}, {200, 120}}));
    ASSERT_TRUE(harness.waitUntilIdle());
    QTest::qWait(20);
    EXPECT_FALSE(state().backgroundPresented()) << "changed while it was rendered";

    panel().backgroundButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state().backgroundPresented(); }, 5000));
    EXPECT_EQ(state().backgroundRevision(), document().revision());
    EXPECT_EQ(openSheets().size(), 1);
    state().setBackgroundPresented(false);

    makeBusy();
    EXPECT_FALSE(panel().backgroundButton()->isEnabled());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_TRUE(panel().backgroundButton()->isEnabled());
    document().open(QImage(), QStringLiteral("空"));
    EXPECT_FALSE(panel().backgroundButton()->isEnabled());
}

TEST_F(ToolPanelTest, EveryToolColourAndGroupShowsTheFocusMarkAndTheChosenColourKeepsItsRing) {
    state().setMoreTools(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QList<QWidget*> controls{panel().moreToolsButton(), panel().dimensionsButton()};
    for (const ToolGrid* grid : {panel().commonTools(), panel().otherTools()})
        for (ToolGridButton* button : grid->buttons()) controls.append(button);
    for (InkButton* ink : panel().strokeControls()->inkButtons()) controls.append(ink);
    EXPECT_EQ(controls.size(), 2 + 12 + 7);
    for (QWidget* control : controls)
        EXPECT_GE(test::markPixelsByTab(*control), test::smallestMark) << test::described(*control).toStdString();

    // The mark lies around the disc, outside the ring of the chosen colour.
    InkButton& chosen = *panel().strokeControls()->inkButtons().first();
    chosen.click();
    ASSERT_TRUE(test::tabTo(chosen));
    const test::FocusPictures pictures = test::withAndWithoutFocus(chosen);
    const QPoint corner = chosen.mapTo(view.get(), QPoint(0, 0)) - test::markArea(chosen).topLeft();
    const QPoint onRing = corner + QPoint(1, chosen.height() / 2);
    EXPECT_TRUE(test::nearColour(pictures.unfocused.pixel(onRing), EditorLook::accent()));
    EXPECT_EQ(pictures.focused.pixel(onRing), pictures.unfocused.pixel(onRing));
    EXPECT_TRUE(test::nearColour(pictures.focused.pixel(onRing - QPoint(FocusRing::outset, 0)), EditorLook::accent()));
}

}  // namespace
