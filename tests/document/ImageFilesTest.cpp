#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/Files.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QColorSpace>
#include <QFile>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

void expectUnreadable(const QString& path) {
    test::expectShotError([&] { ImageOps::load(path); }, QStringLiteral("无法读取图片，或图片超过 4000 万像素。"));
}

bool isPng(const QByteArray& data) { return data.startsWith("\x89PNG\r\n\x1a\n"); }
bool isJpeg(const QByteArray& data) { return data.startsWith("\xff\xd8\xff"); }

// The bit depth and colour type of the IHDR chunk, which PNG puts first.
std::pair<int, int> pngDepthAndColourType(const QByteArray& data) { return {data.at(24), data.at(25)}; }
constexpr int rgb = 2, rgba = 6;

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

// A screen has no transparency: its pictures are stored as RGB, whatever
// format they are held in, and come back pixel for pixel. Large ones are
// compressed in bands on several threads, so every band must join up.
TEST(ImageEncoding, PngStoresOpaquePicturesWithoutAlphaAndExactly) {
    QImage grab = fixtures::screenshotLike(1920, 1080).convertToFormat(QImage::Format_RGB32);
    QImage photo = fixtures::noise(1500, 1100);
    photo.fill(Qt::white);
    // Rows of noise and rows of flat colour are filtered differently.
    const QImage noise = fixtures::noise(1500, 500);
    QPainter(&photo).drawImage(0, 300, noise.convertToFormat(QImage::Format_RGB32));
    const std::pair<const char*, QImage> pictures[] = {
        {"screenshot surface", fixtures::screenshotLike(1920, 1080)}, {"grab", grab}, {"photo", photo},
        {"one pixel", fixtures::screenshotLike(1, 1)}};
    for (const auto& [name, picture] : pictures) {
        const QByteArray data = ImageOps::png(picture, QStringLiteral("png"));
        EXPECT_EQ(pngDepthAndColourType(data), std::make_pair(8, rgb)) << name;
        const QImage decoded = ImageOps::decode(data);
        EXPECT_EQ(decoded, picture.convertToFormat(ImageOps::surfaceFormat)) << name;
    }
    const QImage surface = ImageOps::decode(ImageOps::png(ImageOps::context(40, 30), QStringLiteral("png")));
    EXPECT_EQ(surface.dotsPerMeterX(), ImageOps::context(1, 1).dotsPerMeterX()) << "the resolution is kept";
}

// Rounded corners and soft edges keep their see-through pixels.
TEST(ImageEncoding, PngKeepsAlphaWherePixelsAreTransparent) {
    QImage rounded = ImageOps::context(1400, 900);
    QPainter painter(&rounded);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(0, 0, 1400, 900), 40, 40);
    painter.fillPath(corners, QBrush(fixtures::screenshotLike(1400, 900)));
    painter.end();
    ASSERT_EQ(qAlpha(rounded.pixel(0, 0)), 0);
    const QByteArray data = ImageOps::png(rounded, QStringLiteral("png"));
    EXPECT_EQ(pngDepthAndColourType(data), std::make_pair(8, rgba));
    EXPECT_EQ(ImageOps::decode(data), rounded);
}

TEST(ImageEncoding, PngKeepsTheColourProfile) {
    QImage picture = fixtures::screenshotLike(64, 48);
    picture.setColorSpace(QColorSpace::DisplayP3);
    const QImage decoded = ImageOps::decode(ImageOps::png(picture, QStringLiteral("png")));
    EXPECT_EQ(decoded.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
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
