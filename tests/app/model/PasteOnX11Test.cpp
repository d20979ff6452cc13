// Paste from another program on a real X server: what arrives is encoded
// data of the types it offers, never a picture in memory.
#include "app/model/AppModel.h"
#include "app/model/FileMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/TestWindows.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

// tavero_clipboard_owner, offering each type with its bytes.
class ClipboardOwner {
public:
    explicit ClipboardOwner(const QList<std::pair<QString, QByteArray>>& offers) {
        QStringList arguments;
        for (const auto& [type, bytes] : offers) {
            const QString path = folder.file(QString::number(arguments.size()));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly)) file.write(bytes);
            arguments << type << path;
        }
        process.start(QStringLiteral(TAVERO_CLIPBOARD_OWNER_PATH), arguments);
    }
    ~ClipboardOwner() {
        process.closeWriteChannel();
        if (!process.waitForFinished(2000)) process.kill();
        process.waitForFinished(2000);
    }

    // Waits until the owner holds the clipboard and this program sees its offer.
    bool ready(const QString& type) {
        const bool owned = process.waitForStarted(5000) &&
                           QTest::qWaitFor([&] { return process.canReadLine() && process.readLine() == "ready\n"; },
                                           10'000);
        return owned && QTest::qWaitFor(
                            [&] {
                                const QMimeData* data = QGuiApplication::clipboard()->mimeData();
                                return data && data->formats().contains(type);
                            },
                            10'000);
    }

    test::TempDir folder;
    QProcess process;
};

TEST(PasteOnX11Test, APictureCopiedInAnotherProgramOpens) {
    ModelHarness harness;
    const QImage picture = fixtures::screenshotLike(200, 120);
    ClipboardOwner owner({{QStringLiteral("image/png"), ImageOps::png(picture, QStringLiteral("png"))}});
    ASSERT_TRUE(owner.ready(QStringLiteral("image/png")));
    harness.model().paste();
    EXPECT_TRUE(test::samePixels(harness.model().document().image(), picture));
    EXPECT_EQ(harness.model().status(), FileMessages::pasted());
}

TEST(PasteOnX11Test, AHugePictureFromAnotherProgramIsRefusedFromItsHeader) {
    ModelHarness harness;
    ClipboardOwner owner({{QStringLiteral("image/png"), fixtures::pngWithoutPixels(8000, 5001)}});
    ASSERT_TRUE(owner.ready(QStringLiteral("image/png")));
    harness.model().paste();
    EXPECT_EQ(harness.model().error(), FileMessages::pastedTooLarge());
    EXPECT_TRUE(harness.model().document().image().isNull());
}

TEST(PasteOnX11Test, AFileCopiedInAFileManagerOpensAndTextAloneDoesNot) {
    ModelHarness harness;
    test::TempDir files;
    const QString path = files.file(QStringLiteral("复制.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ImageOps::png(fixtures::noise(16, 16), QStringLiteral("png")));
    file.close();
    {
        ClipboardOwner owner({{QStringLiteral("text/uri-list"), QUrl::fromLocalFile(path).toEncoded() + "\r\n"},
                              {QStringLiteral("text/plain"), path.toUtf8()}});
        ASSERT_TRUE(owner.ready(QStringLiteral("text/uri-list")));
        harness.model().paste();
        ASSERT_TRUE(harness.waitUntilIdle());
        EXPECT_EQ(harness.model().status(), FileMessages::opened(QStringLiteral("复制.png")));
    }
    ClipboardOwner text({{QStringLiteral("text/plain"), QByteArray("just words")}});
    ASSERT_TRUE(text.ready(QStringLiteral("text/plain")));
    harness.model().paste();
    EXPECT_EQ(harness.model().status(), FileMessages::nothingToPaste());
}

}  // namespace
