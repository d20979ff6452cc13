#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "app/model/RenderMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "library/EditableShot.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/document/DocumentFixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

QImage blank(int width, int height) { return test::filled(width, height, QColor(250, 250, 250)); }

// A thick red frame around the middle of the picture.
Mark redFrame(const QImage& image) {
    return test::makeMark(MarkTool::rectangle,
                          {QPointF(image.width() * 0.25, image.height() * 0.25),
                           QPointF(image.width() * 0.75, image.height() * 0.75)},
                          Ink{0.9, 0.1, 0.1, 1}, 12);
}

// A document showing a blank picture with the red frame drawn on it.
void openMarked(AppModel& model, const QImage& image) {
    model.document().open(image, QStringLiteral("测试"), {redFrame(image)});
}

bool isRed(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80; }

// Where the frame's left edge crosses the middle row.
QPoint onTheFrame(const QImage& image) { return {int(image.width() * 0.25), image.height() / 2}; }

bool waitForHistory(ModelHarness& harness, qsizetype size) {
    return QTest::qWaitFor([&] { return harness.model().history().size() == size; }, 20'000);
}

TEST(RenderActionsTest, SavingWritesTheAnnotatedPictureInEachTypeAndListsItFirst) {
    ModelHarness harness;
    AppModel& model = harness.model();
    const QImage image = blank(320, 200);
    openMarked(model, image);
    const struct {
        QString type;
        QByteArray signature;
        int offset;
    } types[] = {{QStringLiteral("png"), QByteArray("\x89PNG"), 0},
                 {QStringLiteral("jpg"), QByteArray("\xFF\xD8\xFF"), 0},
                 {QStringLiteral("heic"), QByteArray("ftyp"), 4}};
    for (const auto& expected : types) {
        const qsizetype before = model.history().size();
        model.save(expected.type);
        ASSERT_TRUE(waitForHistory(harness, before + 1)) << expected.type.toStdString();
        const CaptureRecord& record = model.history().front();
        EXPECT_TRUE(record.name.startsWith(QStringLiteral("标注截图_"))) << record.name.toStdString();
        EXPECT_TRUE(record.name.endsWith(QLatin1Char('.') + expected.type)) << record.name.toStdString();
        EXPECT_EQ(model.status(), ModelMessages::saved(record.name));
        QFile file(harness.libraryFile(record.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.mid(expected.offset, expected.signature.size()), expected.signature);
        const QImage stored = ImageOps::decode(bytes);
        EXPECT_EQ(stored.size(), image.size());
        EXPECT_TRUE(isRed(stored.pixel(onTheFrame(stored)))) << "the marks are burnt in";
    }
    EXPECT_EQ(harness.manifestOnDisk().size(), 3);

    model.save();
    ASSERT_TRUE(waitForHistory(harness, 4));
    EXPECT_TRUE(model.history().front().name.endsWith(QStringLiteral(".png"))) << "PNG unless asked otherwise";
}

TEST(RenderActionsTest, SavingAProjectKeepsThePictureAndItsMarksApartOutsideTheHistoryEvenWhileBusy) {
    ModelHarness harness;
    AppModel& model = harness.model();
    const QImage image = blank(240, 160);
    openMarked(model, image);
    // A permission request that the fake screen holds keeps the model busy.
    harness.screen->holdWindows(true);
    model.requestPermission();
    ASSERT_TRUE(model.busy());

    model.saveProject();
    const QString prefix = QStringLiteral("已保存可编辑工程：可编辑截图_");
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.status().startsWith(prefix); }, 20'000)) << model.status().toStdString();
    const QString name = model.status().mid(QStringLiteral("已保存可编辑工程：").size());
    EXPECT_TRUE(name.endsWith(QStringLiteral(".vistagon")));
    const OpenedProject project = readProject(harness.libraryFile(name));
    EXPECT_EQ(project.image.convertToFormat(ImageOps::surfaceFormat), image) << "stored without its marks";
    EXPECT_EQ(project.marks, model.document().marks());
    EXPECT_TRUE(model.history().isEmpty());
    EXPECT_TRUE(harness.manifestOnDisk().isEmpty());
}

// An edit stopped at a bound says so in the status line.
TEST(RenderActionsTest, TheStatusLineSaysWhereAnEditStopped) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(blank(300, 180), QStringLiteral("测试"), test::counters(markLimits::maxMarks));
    model.document().add(test::counters(1).first());
    EXPECT_EQ(model.status(), QStringLiteral("标注已达上限：一张图片最多 25000 个标注，已画的都保留着。"));
}

TEST(RenderActionsTest, CopyingLeavesOnePngItemWithTheMarksAndCompletesThePracticeOnlyAtItsStep) {
    ModelHarness harness;
    AppModel& model = harness.model();
    const QImage image = blank(300, 180);
    openMarked(model, image);
    QGuiApplication::clipboard()->setText(QStringLiteral("旧内容"));
    model.setFlow(WorkspaceFlow{false, ScreenshotPracticeStep::annotate});

    model.copy();
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::copied()));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("image/png")});
    EXPECT_EQ(ImageOps::decode(data->data(QStringLiteral("image/png"))).convertToFormat(ImageOps::surfaceFormat),
              ImageOps::render(image, model.document().marks()))
        << "with the marks";
    EXPECT_EQ(model.flow().practice, ScreenshotPracticeStep::annotate) << "copying skips no step";

    model.setFlow(WorkspaceFlow{false, ScreenshotPracticeStep::share});
    model.setStatus(QString());
    model.copy();
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::copied()));
    EXPECT_EQ(model.flow().practice, ScreenshotPracticeStep::complete);
}

TEST(RenderActionsTest, RecognisesThePracticePictureAndItsMarksLineByLineAndAnEmptyPictureAsNothing) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(ImageOps::demo(), QStringLiteral("示例图"));
    Mark label = test::makeMark(MarkTool::text, {QPointF(64, 690), QPointF(64, 690)}, Ink{0.1, 0.1, 0.1, 1});
    label.text = QStringLiteral("Ready to share");
    label.fontSize = 30;
    model.document().add(label);

    model.ocr();
    EXPECT_TRUE(model.busy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.showOCR(); }, 60'000)) << model.status().toStdString();
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.status(), RenderMessages::recognized());
    const QStringList lines = model.ocrText().split(QLatin1Char('\n'));
    const std::string text = model.ocrText().toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("让重点一眼可见。"))) << text;
    EXPECT_TRUE(lines.contains(QStringLiteral("Ready to share"))) << "the marks are read too: " << text;
    EXPECT_TRUE(model.ocrText().contains(QStringLiteral("把视线引到重点"))) << text;
    for (const QString& line : lines) EXPECT_FALSE(line.isEmpty()) << "one line per recognised line: " << text;

    model.setShowOCR(false);
    model.document().open(blank(400, 240), QStringLiteral("空白"));
    model.ocr();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.showOCR(); }, 60'000)) << "a picture without text opens it too";
    EXPECT_EQ(model.ocrText(), QString()) << "the last text is gone";
    EXPECT_EQ(model.status(), RenderMessages::nothingRecognized());
}

TEST(RenderActionsTest, NothingRendersWithoutAPictureOrWhileBusyButTextEditingEndsFirst) {
    ModelHarness harness;
    AppModel& model = harness.model();
    int bodies = 0;
    model.renderThen([&](const QImage&) { ++bodies; });
    EXPECT_FALSE(model.busy()) << "no picture";
    EXPECT_EQ(harness.firstResponderResigned, 1);

    model.document().open(blank(200, 120), QStringLiteral("测试"));
    test::typeLabel(model.document(), QPointF(20, 20), QStringLiteral("正在输入"));
    QImage rendered;
    model.renderThen([&](const QImage& picture) {
        ++bodies;
        rendered = picture;
    });
    EXPECT_FALSE(model.document().isEditingText()) << "the typed text became a mark before rendering";
    EXPECT_TRUE(model.busy());
    model.renderThen([&](const QImage&) { ++bodies; });
    ASSERT_TRUE(harness.waitUntilIdle());
    QTest::qWait(50);
    EXPECT_EQ(bodies, 1) << "the second request came while busy";
    EXPECT_EQ(rendered, ImageOps::render(model.document().image(), model.document().marks()));
}

}  // namespace
