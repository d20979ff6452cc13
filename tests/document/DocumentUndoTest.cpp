#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::filledImage;
using test::shapeMark;
using test::textLabel;

using UndoHistory = test::LoadedDocument;
using GroupedEdits = test::LoadedDocument;

TEST_F(UndoHistory, KeepsTheNewestThirtySteps) {
    for (int step = 0; step < 31; ++step) document.add(shapeMark());
    for (int step = 0; step < 30; ++step) {
        ASSERT_TRUE(document.canUndo()) << "undo " << step + 1;
        document.undo();
    }
    EXPECT_FALSE(document.canUndo());
    EXPECT_EQ(document.marks().size(), 1) << "the state after the first step";
    const qint64 revision = document.revision();
    document.undo();
    EXPECT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.revision(), revision);

    for (int step = 0; step < 30; ++step) document.redo();
    EXPECT_EQ(document.marks().size(), 31);
    EXPECT_FALSE(document.canRedo());
}

TEST_F(UndoHistory, ANewEditEmptiesRedo) {
    document.add(shapeMark());
    document.add(shapeMark());
    document.undo();
    ASSERT_TRUE(document.canRedo());
    document.add(shapeMark(MarkTool::ellipse));
    EXPECT_FALSE(document.canRedo());
    document.redo();
    EXPECT_EQ(document.marks().last().tool, MarkTool::ellipse);
}

TEST_F(UndoHistory, RestoresTheMarksAndTheSelectionOfEachStep) {
    const Mark first = shapeMark();
    const Mark second = shapeMark(MarkTool::arrow);
    document.add(first);
    document.add(second);
    document.choose(MarkTool::pen);
    document.setLineWidth(3);
    EXPECT_EQ(document.selected(), second.id);
    document.undo();
    EXPECT_EQ(document.marks(), QList<Mark>{first});
    EXPECT_EQ(document.selected(), first.id);
    document.redo();
    EXPECT_EQ(document.marks(), (QList<Mark>{first, second}));
    EXPECT_EQ(document.selected(), second.id);
    EXPECT_EQ(document.tool(), MarkTool::pen) << "the settings for new marks are no part of a step";
    EXPECT_EQ(document.lineWidth(), 3.0);
}

TEST_F(UndoHistory, ReplaceDropsTheMarksAndUndoBringsThemBackSharingThePixels) {
    const uchar* original = document.image().constBits();
    const Mark shape = shapeMark();
    document.add(shape);
    const QImage after = filledImage(40, 60, Qt::green);
    document.replace(after);
    EXPECT_EQ(document.image(), after);
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_FALSE(document.selected());

    document.undo();
    EXPECT_EQ(document.image().constBits(), original) << "the snapshot holds the very same pixels";
    EXPECT_EQ(document.marks(), QList<Mark>{shape});
    EXPECT_EQ(document.selected(), shape.id);
    document.redo();
    document.undo();
    EXPECT_EQ(document.image().constBits(), original);
}

TEST_F(UndoHistory, AnEmptyUndoStillEndsTheTextSession) {
    document.newText();
    document.placeText({5, 5});
    document.beginTextInput();
    const qint64 revision = document.revision();
    document.undo();
    EXPECT_FALSE(document.isEditingText());
    EXPECT_FALSE(document.textInsertionPoint());
    EXPECT_EQ(document.revision(), revision);
    EXPECT_FALSE(document.image().isNull());
}

TEST_F(UndoHistory, RedoBringsBackALabelWithItsTextSizeAndInk) {
    const Mark label = textLabel(QStringLiteral("旧"), 30, Ink::palette[2]);
    document.choose(MarkTool::text);
    document.add(label);
    document.changeText(QStringLiteral("新"));
    document.undo();
    document.select(std::nullopt);
    document.changeInk(Ink::palette[5]);
    document.changeFontSize(80);
    document.redo();
    EXPECT_EQ(document.text(), QStringLiteral("新"));
    EXPECT_EQ(document.fontSize(), 30.0);
    EXPECT_EQ(document.ink(), Ink::palette[2]);
}

TEST_F(GroupedEdits, ARunOfTypingOrResizingIsOneStepAndEachInkIsItsOwn) {
    document.choose(MarkTool::text);
    document.add(textLabel(QStringLiteral("a"), 34, Ink::palette[0]));
    document.changeText(QStringLiteral("ab"));
    for (double size : {40.0, 44.0, 52.0}) document.changeFontSize(size);
    document.changeText(QStringLiteral("abc"));
    document.changeInk(Ink::palette[1]);
    const qint64 revision = document.revision();
    document.changeInk(Ink::palette[1]);
    EXPECT_EQ(document.revision(), revision) << "the colour it already has";
    document.finishTextEditing();
    document.changeFontSize(60);

    document.undo();
    EXPECT_EQ(document.marks().first().fontSize, 52.0) << "a new drag is a new step";
    document.undo();
    EXPECT_EQ(document.marks().first().ink, Ink::palette[0]);
    EXPECT_EQ(document.ink(), Ink::palette[0]);
    document.undo();
    EXPECT_EQ(document.marks().first().text, QStringLiteral("ab"));
    EXPECT_EQ(document.marks().first().fontSize, 52.0);
    document.undo();
    EXPECT_EQ(document.marks().first().fontSize, 34.0);
    EXPECT_EQ(document.fontSize(), 34.0);
    EXPECT_EQ(test::undoDepth(document), 2);
}

TEST_F(GroupedEdits, ACoverSliderDragIsOneStep) {
    Mark cover = shapeMark(MarkTool::pixelate);
    cover.obscure = ObscureSettings{ObscureStyle::frosted, 24, 0.28};
    document.add(cover);
    const qint64 before = document.revision();

    document.changeObscure({ObscureStyle::frosted, 24, 0.28}, true);
    EXPECT_EQ(document.revision(), before + 2) << "a style pick records a step even when unchanged";
    document.checkpointObscureChange();
    for (double strength : {30.0, 40.0, 50.0}) document.changeObscure({ObscureStyle::frosted, strength, 0.28}, false);
    EXPECT_EQ(document.marks().first().obscure->strength, 50.0);

    document.undo();
    EXPECT_EQ(document.marks().first().obscure->strength, 24.0);
    document.redo();
    EXPECT_EQ(document.marks().first().obscure->strength, 50.0);
    document.undo();
    document.undo();
    document.undo();
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_FALSE(document.canUndo());
}
