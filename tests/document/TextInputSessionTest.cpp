#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::shapeMark;
using test::textLabel;

namespace {
struct TextInput : test::LoadedDocument {
    // The canvas's order of calls for a click with the text tool.
    void startLabelAt(QPointF point) {
        document.newText();
        document.placeText(point);
        document.beginTextInput();
    }

    // The canvas's order of calls for editing an existing label.
    void editLabel(const QUuid& id) {
        document.choose(MarkTool::text);
        document.select(id);
        document.beginTextInput();
    }
};

using NewLabel = TextInput;
using LabelEditing = TextInput;
using Escape = TextInput;
}  // namespace

TEST_F(NewLabel, IsNotMadeOnceThePicturesMarksHoldAllTheirPoints) {
    document.open(test::filledImage(60, 40), QStringLiteral("截图"), test::strokesHolding(markLimits::maxProjectPoints - 1));
    const qsizetype strokes = document.marks().size();
    startLabelAt({12, 34});
    document.changeText(QStringLiteral("满了"));
    EXPECT_EQ(document.marks().size(), strokes);
    document.endTextInput(false);
    document.placeText({12, 34});
    EXPECT_EQ(document.marks().size(), strokes) << "nor when placed with its text";
}

TEST_F(NewLabel, WaitsForAVisibleCharacter) {
    startLabelAt({12, 34});
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_EQ(document.textInsertionPoint(), QPointF(12, 34));

    document.changeText(QStringLiteral("  \n\u3000"));
    EXPECT_TRUE(document.marks().isEmpty()) << "white space and line breaks only";
    EXPECT_FALSE(document.canUndo());

    document.changeText(QStringLiteral("  \n\u3000字"));
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, QStringLiteral("  \n\u3000字")) << "kept as typed";
    EXPECT_FALSE(document.textInsertionPoint());
}

TEST_F(NewLabel, IsCreatedWithTheDocumentStyleAndSelected) {
    document.changeInk(Ink::palette[4]);
    document.setLineWidth(5);
    document.changeFontSize(44);
    startLabelAt({12, 34});
    for (const char* typed : {"新", "新文字", "新文字\n", "新文字\n第二行"}) document.changeText(QString::fromUtf8(typed));

    ASSERT_EQ(document.marks().size(), 1);
    const Mark label = document.marks().first();
    EXPECT_EQ(label.points, (QList<QPointF>{{12, 34}, {12, 34}}));
    EXPECT_EQ(label.ink, Ink::palette[4]);
    EXPECT_EQ(label.width, 5.0);
    EXPECT_EQ(label.fontSize, 44.0);
    EXPECT_EQ(document.selected(), label.id);
    EXPECT_TRUE(document.isEditingText()) << "creating the label does not end the session";

    document.endTextInput(false);
    EXPECT_EQ(document.marks(), QList<Mark>{label}) << "confirming visible text keeps it";
}

TEST_F(NewLabel, HoldsNoMoreThanALabelMay) {
    startLabelAt({12, 34});
    const QString typed = QString(markLimits::maxTextLength + 10, QLatin1Char('x'));
    document.changeText(typed);
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, typed.left(markLimits::maxTextLength));
    EXPECT_EQ(document.text(), typed.left(markLimits::maxTextLength));
    EXPECT_TRUE(withinLimits(document.marks().first()));
}

TEST_F(LabelEditing, UndoWhileTypingCommitsThenStepsBack) {
    const Mark label = textLabel(QStringLiteral("旧"));
    document.add(label);
    editLabel(label.id);
    document.changeText(QStringLiteral("新"));
    document.undo();
    EXPECT_FALSE(document.isEditingText());
    EXPECT_EQ(document.marks().last().text, QStringLiteral("旧"));
    document.redo();
    EXPECT_EQ(document.marks().last().text, QStringLiteral("新"));
}

TEST_F(LabelEditing, ALabelConfirmedBlankIsRemovedAsOneStep) {
    const Mark label = textLabel(QStringLiteral("旧"));
    document.add(label);
    editLabel(label.id);
    document.changeText(QStringLiteral(" \n"));
    ASSERT_EQ(document.marks().size(), 1) << "it stays while the session runs";
    document.endTextInput(false);
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_FALSE(document.selected());
    document.undo();
    EXPECT_EQ(document.marks(), QList<Mark>{label});
}

TEST_F(Escape, RestoresAnEditedLabelAndBothStacks) {
    const Mark label = textLabel(QStringLiteral("旧"), 30, Ink::palette[2]);
    document.add(shapeMark());
    document.add(label);
    document.add(shapeMark());
    document.undo();
    editLabel(label.id);
    document.changeText(QStringLiteral("改了"));
    document.changeFontSize(70);
    document.changeInk(Ink::palette[6]);
    const qint64 revision = document.revision();

    document.endTextInput(true);
    EXPECT_FALSE(document.isEditingText());
    EXPECT_EQ(document.marks().last(), label);
    EXPECT_EQ(document.text(), QStringLiteral("旧"));
    EXPECT_EQ(document.fontSize(), 30.0);
    EXPECT_EQ(document.ink(), Ink::palette[2]);
    EXPECT_EQ(document.revision(), revision + 1);
    EXPECT_TRUE(document.canRedo()) << "the redo stack as it was";
    EXPECT_EQ(test::undoDepth(document), 2);
}

TEST_F(Escape, WithoutASessionChangesNothing) {
    document.newText();
    document.placeText({3, 3});
    const qint64 revision = document.revision();
    document.endTextInput(false);
    document.endTextInput(true);
    EXPECT_EQ(document.textInsertionPoint(), QPointF(3, 3));
    EXPECT_EQ(document.revision(), revision);
}
