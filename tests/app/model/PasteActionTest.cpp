#include "app/model/AppModel.h"
#include "app/model/FileMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/Files.h"
#include "tests/support/TestWindows.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

using test::filled;

// Puts `data` of each type on the clipboard, as another program offers it.
void offer(const QList<std::pair<QString, QByteArray>>& data) {
    auto* mime = new QMimeData;
    for (const auto& [type, bytes] : data) mime->setData(type, bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
}

// A model that shows a picture, so that a refused paste can be seen to leave it.
struct PasteHarness : ModelHarness {
    PasteHarness() {
        model().document().open(filled(30, 20, Qt::green), QStringLiteral("before"));
        model().setVideoURL(files.file(QStringLiteral("shown.mp4")));
    }
    test::TempDir files;
};

TEST(PasteActionTest, AnyPictureOfferedOpensAtOnceWithoutShowingTheWindow) {
    PasteHarness harness;
    AppModel& model = harness.model();
    model.setFlow(WorkspaceFlow{true, ScreenshotPracticeStep::share});
    const QImage picture = fixtures::screenshotLike(160, 90);
    offer({{QStringLiteral("text/plain"), "caption"},
           {QStringLiteral("image/bmp"), QByteArray("garbage")},
           {QStringLiteral("image/png"), ImageOps::png(picture, QStringLiteral("png"))}});
    model.paste();
    EXPECT_TRUE(test::samePixels(model.document().image(), picture)) << "PNG first, whatever the order offered";
    EXPECT_EQ(model.document().image().format(), ImageOps::surfaceFormat);
    EXPECT_EQ(model.document().name(), QStringLiteral("剪贴板图片"));
    EXPECT_EQ(model.status(), QStringLiteral("已从剪贴板打开。"));
    EXPECT_FALSE(model.videoURL().has_value());
    EXPECT_EQ(model.flow(), (WorkspaceFlow{false, std::nullopt}));
    EXPECT_EQ(harness.windowShown, 0);

    offer({{QStringLiteral("image/jpeg"), ImageOps::png(filled(40, 40, Qt::red), QStringLiteral("jpg"))}});
    model.paste();
    EXPECT_EQ(model.document().image().size(), QSize(40, 40)) << "any image type the program reads";

    const QImage ours = fixtures::noise(64, 48, 3);
    QGuiApplication::clipboard()->setImage(ours);
    model.paste();
    EXPECT_TRUE(test::samePixels(model.document().image(), ours)) << "a picture this program copied opens as it is";
}

TEST(PasteActionTest, APictureOverTheLimitIsRefusedFromItsHeaderBeforeDecoding) {
    PasteHarness harness;
    AppModel& model = harness.model();
    const qint64 revision = model.document().revision();
    // No pixel data: decoding it could never give a picture, so the refusal
    // can only come from the size its header declares.
    offer({{QStringLiteral("image/png"), fixtures::pngWithoutPixels(8000, 5001)}});
    model.paste();
    EXPECT_EQ(model.error(), QStringLiteral("图片超过 4000 万像素。"));
    EXPECT_EQ(model.status(), FileMessages::pastedTooLarge());
    EXPECT_EQ(harness.windowShown, 1);
    EXPECT_EQ(model.document().revision(), revision);
    EXPECT_TRUE(model.videoURL().has_value());

    model.setError(std::nullopt);
    offer({{QStringLiteral("image/png"), fixtures::pngWithoutPixels(8000, 5000)}});
    model.paste();
    EXPECT_EQ(model.status(), QStringLiteral("剪贴板中没有图片。")) << "at the limit: decoded, and found broken";
    EXPECT_FALSE(model.error().has_value());
    EXPECT_EQ(model.document().revision(), revision);
}

TEST(PasteActionTest, ACopiedFileOpensLikeAFile) {
    PasteHarness harness;
    AppModel& model = harness.model();
    const QString path = harness.files.file(QStringLiteral("复制的图.png"));
    test::writeFile(path, ImageOps::png(filled(12, 8, Qt::blue), QStringLiteral("png")));

    auto* mime = new QMimeData;
    mime->setUrls({QUrl(QStringLiteral("https://example.com/x.png")), QUrl::fromLocalFile(path)});
    mime->setText(path);
    QGuiApplication::clipboard()->setMimeData(mime);
    model.paste();
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.document().name(), QStringLiteral("复制的图"));
    EXPECT_FALSE(model.videoURL().has_value());
}

TEST(PasteActionTest, TextAloneOnlySaysThereIsNoPicture) {
    PasteHarness harness;
    AppModel& model = harness.model();
    QGuiApplication::clipboard()->setText(QStringLiteral("/home/someone/picture.png"));
    model.paste();
    EXPECT_EQ(model.status(), FileMessages::nothingToPaste());
    EXPECT_FALSE(model.error().has_value()) << "no alert";
    EXPECT_EQ(model.document().name(), QStringLiteral("before"));
}

}  // namespace
