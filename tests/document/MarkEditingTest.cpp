#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::shapeMark;
using test::textLabel;

namespace {
using MarkEditing = test::LoadedDocument;

Mark coverWithoutSettings(double width) { return shapeMark(MarkTool::pixelate, width); }
}  // namespace

TEST_F(MarkEditing, ALabelSharesItsStyleOnlyUnderTheTextTools) {
    const Mark label = textLabel(QStringLiteral("标签"), 48, Ink::palette[3]);
    Mark arrow = shapeMark(MarkTool::arrow);
    arrow.text = QStringLiteral("秘密");
    document.add(label);
    document.add(arrow);
    EXPECT_EQ(document.marks().last().text, QString()) << "only labels and counters keep text";
    document.choose(MarkTool::text);
    document.select(label.id);
    EXPECT_EQ(document.fontSize(), 48.0);
    document.choose(MarkTool::move);
    EXPECT_EQ(document.selectedText()->id, label.id);

    document.choose(MarkTool::arrow);
    EXPECT_FALSE(document.selectedText());
    const qint64 revision = document.revision();
    document.changeInk(Ink::teal);
    document.changeFontSize(90);
    EXPECT_EQ(document.ink(), Ink::teal);
    EXPECT_EQ(document.marks().first().ink, Ink::palette[3]);
    EXPECT_EQ(document.marks().first().fontSize, 48.0);
    EXPECT_EQ(document.revision(), revision);

    document.choose(MarkTool::text);
    document.changeText(QStringLiteral("标签二"));
    document.select(arrow.id);
    EXPECT_EQ(document.text(), QStringLiteral("标签二")) << "selecting a shape keeps the text settings";
}

TEST_F(MarkEditing, ChoosingPixelateShowsTheSelectedCoverSettings) {
    document.add(coverWithoutSettings(2));
    document.choose(MarkTool::pixelate);
    EXPECT_EQ(document.obscureSettings(), (ObscureSettings{ObscureStyle::pixel, 12, 0.28}));

    document.choose(MarkTool::arrow);
    document.add(coverWithoutSettings(5));
    document.choose(MarkTool::pixelate);
    EXPECT_EQ(document.obscureSettings(), (ObscureSettings{ObscureStyle::pixel, 20, 0.28})) << "four times the width";

    Mark soft = shapeMark(MarkTool::pixelate);
    soft.obscure = ObscureSettings{ObscureStyle::soft, 33, 0.5};
    document.add(soft);
    document.choose(MarkTool::pixelate);
    EXPECT_EQ(document.obscureSettings(), *soft.obscure);

    document.add(shapeMark());
    document.choose(MarkTool::pixelate);
    EXPECT_EQ(document.obscureSettings(), *soft.obscure) << "a selected shape leaves them";
}

TEST_F(MarkEditing, CoverSettingsRestyleOnlyASelectedCover) {
    const ObscureSettings pixel{ObscureStyle::pixel, 16, 0.28};
    document.add(shapeMark());
    const qint64 revision = document.revision();
    document.checkpointObscureChange();
    document.changeObscure(pixel, true);
    EXPECT_EQ(document.obscureSettings(), pixel);
    EXPECT_FALSE(document.marks().first().obscure);
    EXPECT_EQ(document.revision(), revision) << "no cover selected: no step";
}

TEST_F(MarkEditing, DeleteRemovesTheSelectionAndClearsText) {
    document.choose(MarkTool::text);
    const Mark label = textLabel(QStringLiteral("删除我"));
    document.add(shapeMark());
    document.add(label);
    document.deleteSelected();
    EXPECT_EQ(document.marks().size(), 1);
    EXPECT_FALSE(document.selected());
    EXPECT_EQ(document.text(), QString());
    document.deleteSelected();
    document.select(QUuid::createUuid());
    document.deleteSelected();
    EXPECT_EQ(document.marks().size(), 1) << "a stale selection removes nothing";

    document.undo();
    EXPECT_EQ(document.marks().size(), 1) << "but records a step; nothing selected records none";
    document.undo();
    EXPECT_EQ(document.marks().last(), label);
    EXPECT_EQ(document.selected(), label.id);
}

TEST_F(MarkEditing, ChoosingAToolEndsTextWorkButKeepsTheSelection) {
    document.newText();
    document.placeText({8, 8});
    document.choose(MarkTool::rectangle);
    EXPECT_FALSE(document.textInsertionPoint()) << "a pending label is abandoned";
    EXPECT_TRUE(document.marks().isEmpty());

    document.newText();
    document.placeText({8, 8});
    document.beginTextInput();
    document.changeText(QStringLiteral("保留"));
    document.choose(MarkTool::arrow);
    EXPECT_FALSE(document.isEditingText());
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().text, QStringLiteral("保留"));
    EXPECT_EQ(document.selected(), document.marks().first().id);
}
