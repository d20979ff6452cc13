#include "app/model/AppModel.h"
#include "app/model/RenderMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/app/model/ModelHarness.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

QImage picture() { return fixtures::noise(240, 160, 3); }

Mark arrow() { return test::makeMark(MarkTool::arrow, {QPointF(20, 20), QPointF(120, 90)}, Ink{0.9, 0.1, 0.1, 1}); }

const AppModel::ImageOperation rotate = [](const QImage& image) { return ImageOps::transformed(image, true, false); };

TEST(ImageJobsTest, ARotateReplacesTheRenderedPictureAsOneUndoableStep) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(picture(), QStringLiteral("测试"), {arrow()});
    const QImage rendered = ImageOps::render(picture(), {arrow()});

    model.transform(rotate);
    EXPECT_TRUE(model.busy());
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::processed()));
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.document().image(), ImageOps::transformed(rendered, true, false));
    EXPECT_TRUE(model.document().marks().isEmpty()) << "the marks are part of the new picture";

    model.document().undo();
    EXPECT_EQ(model.document().image(), picture());
    EXPECT_EQ(model.document().marks().size(), 1);
    EXPECT_FALSE(model.document().canUndo());
}

TEST(ImageJobsTest, ARotateIsDroppedWhenAMarkIsAddedBeforeItReturns) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(picture(), QStringLiteral("测试"));

    model.transform(rotate);
    model.document().add(arrow());
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::processingDropped()));
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.document().image(), picture());
    EXPECT_EQ(model.document().marks().size(), 1) << "the user's mark stays";
}

// Confirming an edit that left a label empty removes the label, which counts
// as a change; it comes from the request itself, so the rotate still applies.
TEST(ImageJobsTest, ARotateIsKeptWhenTheLabelBeingEditedWasEmptied) {
    ModelHarness harness;
    AppModel& model = harness.model();
    ShotDocument& document = model.document();
    document.open(picture(), QStringLiteral("测试"));
    test::typeLabel(document, QPointF(30, 40), QStringLiteral("重点"));
    document.changeText(QString());
    ASSERT_EQ(document.marks().size(), 1);

    model.transform(rotate);
    EXPECT_FALSE(document.isEditingText());
    EXPECT_TRUE(document.marks().isEmpty()) << "the empty label went with the edit";
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::processed()));
    EXPECT_EQ(document.image().size(), QSize(160, 240));
}

TEST(ImageJobsTest, AFailingOperationReportsItsSentenceAndLeavesThePicture) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(picture(), QStringLiteral("测试"));
    const QString sentence = QStringLiteral("图片过大。请缩小截图区域，或分成两张长图。");

    model.transform([sentence](const QImage&) -> QImage { throw ShotError(sentence); });
    ASSERT_TRUE(harness.waitForStatus(sentence));
    EXPECT_EQ(model.error(), sentence);
    EXPECT_EQ(model.document().image(), picture());
    EXPECT_FALSE(model.document().canUndo());
}

TEST(ImageJobsTest, ABackgroundReplacesThePictureShowsItWholeAndAdvancesThePracticeOnlyAtItsStep) {
    ModelHarness harness;
    AppModel& model = harness.model();
    ShotDocument& document = model.document();
    document.open(picture(), QStringLiteral("测试"), {arrow()});
    document.setZoom(2.5);
    document.setActualPixels(true);
    model.setFlow(WorkspaceFlow{false, ScreenshotPracticeStep::background});
    const QImage source = ImageOps::render(picture(), {arrow()});
    const FrameOptions sea{FramePreset::sea, 40, 12, GradientDirection::vertical};

    model.applyBackground(source, sea, document.revision());
    EXPECT_TRUE(model.busy());
    ASSERT_TRUE(harness.waitForStatus(QStringLiteral("已添加海盐背景，可按 Ctrl+Z 撤销；Ctrl+S 保存。")));
    EXPECT_EQ(document.image(), ImageOps::framed(source, sea, 1.0));
    EXPECT_TRUE(document.marks().isEmpty());
    EXPECT_EQ(document.zoom(), 1.0);
    EXPECT_FALSE(document.actualPixels());
    EXPECT_EQ(model.flow().practice, ScreenshotPracticeStep::share);

    model.setFlow(WorkspaceFlow{false, ScreenshotPracticeStep::annotate});
    model.applyBackground(document.image(), sea, document.revision());
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.flow().practice, ScreenshotPracticeStep::annotate) << "framing skips no step";
    document.undo();
    document.undo();
    EXPECT_EQ(document.image(), picture()) << "each background is one step";
}

TEST(ImageJobsTest, ABackgroundIsDroppedWhenThePictureChangedAndRefusedWhileBusy) {
    ModelHarness harness;
    AppModel& model = harness.model();
    ShotDocument& document = model.document();
    document.open(picture(), QStringLiteral("测试"));
    const qint64 rendered = document.revision();
    document.add(arrow());

    model.applyBackground(picture(), FrameOptions{}, rendered);
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::backgroundDropped()));
    EXPECT_EQ(document.image(), picture());
    EXPECT_EQ(document.marks().size(), 1);

    model.transform(rotate);
    ASSERT_TRUE(model.busy());
    model.applyBackground(picture(), FrameOptions{}, document.revision());
    EXPECT_NE(model.status(), RenderMessages::addingBackground());
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::processed()));
    QTest::qWait(50);
    EXPECT_EQ(model.status(), RenderMessages::processed()) << "no background followed";
}

}  // namespace
