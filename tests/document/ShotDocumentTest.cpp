#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tavero;
using test::filledImage;
using test::shapeMark;
using test::textLabel;
using Revision = test::LoadedDocument;
using Observing = test::LoadedDocument;

TEST(NewDocument, RecordsNoUndoStepsWithoutAnImage) {
    ShotDocument document;
    EXPECT_EQ(document.name(), QStringLiteral("新截图"));
    document.checkpoint();
    document.add(shapeMark());
    EXPECT_EQ(document.marks().size(), 1) << "marks can be added before any image";
    EXPECT_FALSE(document.canUndo());
    EXPECT_EQ(document.revision(), 0);

    document.beginTextInput();
    EXPECT_FALSE(document.isEditingText());

    document.replace(filledImage(4, 4));
    EXPECT_FALSE(document.image().isNull());
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_FALSE(document.canUndo()) << "replace installs its image without an undo step";
    EXPECT_EQ(document.revision(), 1);
}

TEST(Open, ResetsTheContentButKeepsTheDrawingSettings) {
    ShotDocument document;
    document.open(filledImage(40, 30), QStringLiteral("旧截图"));
    document.changeInk(Ink::palette[4]);
    document.setLineWidth(3);
    document.changeFontSize(40);
    const ObscureSettings cover{ObscureStyle::soft, 50, 0.5};
    document.changeObscure(cover, true);
    document.add(shapeMark());
    document.add(shapeMark());
    document.undo();
    document.setZoom(2.5);
    document.setActualPixels(true);
    document.newText();
    document.placeText({5, 5});
    document.beginTextInput();
    ASSERT_TRUE(document.canUndo() && document.canRedo() && document.isEditingText());

    const Mark kept = textLabel(QStringLiteral("保留"));
    const QList<Mark> projectMarks{shapeMark(MarkTool::ellipse), kept};
    const QImage picture = filledImage(20, 10, Qt::blue);
    const qint64 revision = document.revision();
    document.open(picture, QStringLiteral("项目"), projectMarks);

    EXPECT_EQ(document.image(), picture);
    EXPECT_EQ(document.name(), QStringLiteral("项目"));
    EXPECT_EQ(document.marks(), projectMarks) << "identifiers, order and settings kept";
    EXPECT_FALSE(document.selected());
    EXPECT_FALSE(document.textInsertionPoint());
    EXPECT_FALSE(document.isEditingText()) << "the running session is dropped";
    EXPECT_FALSE(document.canUndo() || document.canRedo());
    EXPECT_EQ(document.zoom(), 1.0);
    EXPECT_FALSE(document.actualPixels());
    EXPECT_EQ(document.revision(), revision + 1);
    EXPECT_EQ(document.ink(), Ink::palette[4]);
    EXPECT_EQ(document.lineWidth(), 3.0);
    EXPECT_EQ(document.fontSize(), 40.0);
    EXPECT_EQ(document.obscureSettings(), cover);

    document.undo();
    document.endTextInput(true);
    EXPECT_EQ(document.image(), picture) << "nothing of the old content comes back";
    EXPECT_EQ(document.marks(), projectMarks);
}

TEST(Open, RenewsTheContentIdentityAndNothingElseDoes) {
    ShotDocument document;
    const QImage picture = filledImage(10, 10);
    const QUuid initial = document.contentID();
    document.open(picture, QStringLiteral("一"));
    const QUuid first = document.contentID();
    document.open(picture, QStringLiteral("一"));
    const QUuid second = document.contentID();
    EXPECT_NE(initial, first);
    EXPECT_NE(first, second) << "the same picture opened twice is new content";

    document.add(shapeMark());
    document.replace(filledImage(5, 5));
    document.undo();
    document.redo();
    EXPECT_EQ(document.contentID(), second);
}

TEST_F(Revision, RisesOncePerRecordedStepOpenUndoAndRedo) {
    EXPECT_EQ(document.revision(), 1);
    document.add(shapeMark());
    EXPECT_EQ(document.revision(), 2);
    document.replace(filledImage(10, 10));
    EXPECT_EQ(document.revision(), 4) << "replace counts its checkpoint and itself";
    document.undo();
    EXPECT_EQ(document.revision(), 5);
    document.redo();
    EXPECT_EQ(document.revision(), 6);
    document.redo();
    EXPECT_EQ(document.revision(), 6) << "a redo that restores nothing";
}

TEST_F(Revision, StaysOnToolSettingSelectionAndZoomChanges) {
    const Mark shape = shapeMark();
    document.add(shape);
    const qint64 revision = document.revision();

    document.choose(MarkTool::ellipse);
    document.changeInk(Ink::palette[2]);
    document.changeFontSize(20);
    document.setLineWidth(2);
    document.changeObscure({ObscureStyle::pixel, 10, 0.1}, true);
    document.checkpointObscureChange();
    document.select(std::nullopt);
    document.select(shape.id);
    document.setZoom(3);
    document.setActualPixels(true);
    document.newText();
    document.placeText({4, 4});
    document.finishTextEditing();
    document.setMarkPoints(shape.id, {{1, 1}, {2, 2}});
    EXPECT_EQ(document.revision(), revision);
}

TEST_F(Observing, EmitsOneChangeAfterEachOperation) {
    QSignalSpy spy(&document, &ShotDocument::changed);
    qint64 revisionSeen = -1;
    QObject::connect(&document, &ShotDocument::changed, [&] { revisionSeen = document.revision(); });

    document.add(textLabel(QStringLiteral("标签")));
    EXPECT_EQ(spy.count(), 1) << "checkpoint and select inside add make no signals of their own";
    EXPECT_EQ(revisionSeen, document.revision()) << "observers see the final state";

    document.undo();
    document.setZoom(2);
    document.newText();
    document.placeText({3, 3});
    document.beginTextInput();
    document.changeText(QStringLiteral("新"));
    EXPECT_EQ(spy.count(), 7);
    EXPECT_EQ(document.property("zoom").toDouble(), 2.0);
    EXPECT_EQ(document.property("revision").toLongLong(), document.revision());
}
