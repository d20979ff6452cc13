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

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

// xclip holding the clipboard in the foreground, offering `bytes` as `type`
// only, until it is stopped.
class ClipboardOwner {
public:
    ClipboardOwner(const QString& type, const QByteArray& bytes) : type_(type) {
        const QString path = folder_.file(QStringLiteral("offered"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
        file.close();
        process_.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                                 QStringLiteral("clipboard"), QStringLiteral("-t"), type, path});
    }
    ~ClipboardOwner() {
        process_.kill();
        process_.waitForFinished(2000);
    }

    // Waits until this program sees the offer.
    bool ready() {
        const auto offered = [&] {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            return data && data->formats().contains(type_);
        };
        return process_.waitForStarted(5000) && QTest::qWaitFor(offered, 10'000);
    }

private:
    QString type_;
    test::TempDir folder_;
    QProcess process_;
};

TEST(PasteOnX11Test, APictureCopiedInAnotherProgramOpens) {
    ModelHarness harness;
    const QImage picture = fixtures::screenshotLike(200, 120);
    ClipboardOwner owner(QStringLiteral("image/png"), ImageOps::png(picture, QStringLiteral("png")));
    ASSERT_TRUE(owner.ready());
    harness.model().paste();
    EXPECT_TRUE(test::samePixels(harness.model().document().image(), picture));
    EXPECT_EQ(harness.model().status(), FileMessages::pasted());
}

TEST(PasteOnX11Test, AHugePictureFromAnotherProgramIsRefusedFromItsHeader) {
    ModelHarness harness;
    ClipboardOwner owner(QStringLiteral("image/png"), fixtures::pngWithoutPixels(8000, 5001));
    ASSERT_TRUE(owner.ready());
    harness.model().paste();
    EXPECT_EQ(harness.model().error(), FileMessages::pastedTooLarge());
    EXPECT_TRUE(harness.model().document().image().isNull());
}

}  // namespace
