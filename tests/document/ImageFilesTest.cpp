#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/Files.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

void expectUnreadable(const QString& path) {
    test::expectShotError([&] { ImageOps::load(path); }, QStringLiteral("无法读取图片，或图片超过 4000 万像素。"));
}

bool isPng(const QByteArray& data) { return data.startsWith("\x89PNG\r\n\x1a\n"); }
bool isJpeg(const QByteArray& data) { return data.startsWith("\xff\xd8\xff"); }

}  // namespace

// Runs first in this binary so the forked child starts small.
TEST(ImageLoading, RefusesAnOversizedHeaderWithoutDecoding) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("huge.png"));
    test::writeFile(path, fixtures::pngHeaderOnly(60000, 60000));
    expectUnreadable(path);
    const long long growth = test::peakMemoryGrowth([&] {
        try {
            ImageOps::load(path);
        } catch (const ShotError&) {
        }
    });
    ASSERT_GE(growth, 0);
    EXPECT_LT(growth, 64LL * 1024 * 1024) << "a 14 GB image must be refused from its header";
}

TEST(ImageLoading, AcceptsFortyMillionPixelsAndRefusesOneRowMore) {
    test::TempDir dir;
    QImage largest(8000, 5000, QImage::Format_RGB32);
    largest.fill(QColor(20, 120, 90));
    const QString allowed = dir.file(QStringLiteral("allowed.png"));
    ASSERT_TRUE(largest.save(allowed));
    const QImage loaded = ImageOps::load(allowed);
    EXPECT_EQ(loaded.size(), QSize(8000, 5000));
    EXPECT_EQ(loaded.format(), ImageOps::surfaceFormat);

    const QString refused = dir.file(QStringLiteral("refused.png"));
    test::writeFile(refused, fixtures::pngHeaderOnly(8000, 5001));
    expectUnreadable(refused);
}

TEST(ImageLoading, RefusesFilesThatAreNotImages) {
    test::TempDir dir;
    const QByteArray whole = ImageOps::png(fixtures::noise(300, 200), QStringLiteral("png"));
    const std::pair<const char*, QByteArray> files[] = {
        {"note.png", "这不是图片，只是一段文字。"}, {"empty.png", {}}, {"truncated.png", whole.left(whole.size() / 2)}};
    for (const auto& [name, content] : files) {
        test::writeFile(dir.file(QString::fromLatin1(name)), content);
        expectUnreadable(dir.file(QString::fromLatin1(name)));
    }
    expectUnreadable(dir.file(QStringLiteral("missing.png")));
}

TEST(ImageEncoding, ChoosesTheFormatByTheExactTypeString) {
    const QImage picture = fixtures::screenshotLike(120, 80);
    EXPECT_TRUE(isJpeg(ImageOps::png(picture, QStringLiteral("jpg"))));
    EXPECT_EQ(ImageOps::png(picture, QStringLiteral("heic")).mid(4, 4), QByteArray("ftyp"));
    for (const char* type : {"png", "JPG", "jpeg", "tiff", "HEIC"})
        EXPECT_TRUE(isPng(ImageOps::png(picture, QString::fromLatin1(type)))) << type;
}

TEST(ImageEncoding, RoundTripsKeepThePixelSize) {
    test::TempDir dir;
    for (const QSize size : {QSize(201, 133), QSize(1, 1), QSize(3, 500)}) {
        const QImage picture = fixtures::screenshotLike(size.width(), size.height());
        for (const char* type : {"png", "jpg", "heic"}) {
            const QByteArray data = ImageOps::png(picture, QString::fromLatin1(type));
            EXPECT_EQ(ImageOps::encodedImageSize(data), size) << type;
            const QString path = dir.file(QStringLiteral("round.%1").arg(QString::fromLatin1(type)));
            test::writeFile(path, data);
            EXPECT_EQ(ImageOps::load(path).size(), size) << type << " " << size.width() << "×" << size.height();
        }
    }
}

TEST(ImageEncoding, PngIsLosslessAndKeepsTransparency) {
    QImage picture = fixtures::noise(64, 48);
    picture.setPixelColor(3, 4, QColor(0, 0, 0, 0));
    const QImage decoded = ImageOps::decode(ImageOps::png(picture, QStringLiteral("png")));
    EXPECT_EQ(decoded, picture.convertToFormat(ImageOps::surfaceFormat));
}

TEST(ImageEncoding, LossyFormatsStayCloseToTheOriginal) {
    const QImage picture = fixtures::screenshotLike(400, 300);
    for (const char* type : {"jpg", "heic"}) {
        const QImage decoded = ImageOps::decode(ImageOps::png(picture, QString::fromLatin1(type)));
        ASSERT_EQ(decoded.size(), picture.size());
        double total = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor a = picture.pixelColor(x, y), b = decoded.pixelColor(x, y);
                total += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
            }
        EXPECT_LT(total / (picture.width() * picture.height() * 3), 4.0) << type;
    }
}

TEST(ImageEncoding, CompressesAScreenshot) {
    const QByteArray data = ImageOps::png(fixtures::screenshotLike(1200, 800), QStringLiteral("png"));
    EXPECT_LT(data.size(), 400 * 1024) << "PNG must be written with compression";
}

TEST(ImageEncoding, RefusesAnEmptyImage) {
    EXPECT_THROW(ImageOps::png(QImage(), QStringLiteral("png")), ShotError);
}
