// Thumbnails of library files: reduced to their longer side, decoded only
// within the limits, and absent for anything that is not a readable image.
#include "document/ImageOps.h"
#include "tests/support/Files.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavero;

namespace {

constexpr int thumbnailSide = 110;

QString saved(const test::TempDir& dir, const QString& name, const QImage& image, const QString& type) {
    const QString path = dir.file(name);
    test::writeFile(path, ImageOps::png(image, type));
    return path;
}

TEST(ImageThumbnails, FitTheLongerSideInEveryFormatTheLibraryWrites) {
    const test::TempDir dir;
    const QImage wide = fixtures::screenshotLike(4000, 1000);
    for (const QString& type : {QStringLiteral("png"), QStringLiteral("jpg")}) {
        const QImage thumbnail = ImageOps::thumbnail(saved(dir, QStringLiteral("wide.") + type, wide, type), thumbnailSide);
        EXPECT_EQ(thumbnail.size(), QSize(110, 28)) << type.toStdString();
        EXPECT_EQ(thumbnail.format(), ImageOps::surfaceFormat);
    }
    const QImage tall = fixtures::screenshotLike(600, 1200);
    const QImage heic = ImageOps::thumbnail(saved(dir, QStringLiteral("tall.heic"), tall, QStringLiteral("heic")), thumbnailSide);
    EXPECT_EQ(heic.size(), QSize(55, 110));
}

TEST(ImageThumbnails, KeepASmallPictureAsItIs) {
    const test::TempDir dir;
    const QImage small = fixtures::screenshotLike(60, 40);
    const QImage thumbnail = ImageOps::thumbnail(saved(dir, QStringLiteral("small.png"), small, QStringLiteral("png")), thumbnailSide);
    ASSERT_EQ(thumbnail.size(), QSize(60, 40));
    EXPECT_EQ(thumbnail.pixel(30, 20), small.convertToFormat(ImageOps::surfaceFormat).pixel(30, 20));
}

TEST(ImageThumbnails, AreAbsentForMissingBrokenOversizedForeignAndEndlessFiles) {
    const test::TempDir dir;
    EXPECT_TRUE(ImageOps::thumbnail(dir.file(QStringLiteral("gone.png")), thumbnailSide).isNull());
    // Neither may keep a worker waiting or reading for good.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("fifo.png"))).constData(), 0600), 0);
    EXPECT_TRUE(ImageOps::thumbnail(dir.file(QStringLiteral("fifo.png")), thumbnailSide).isNull());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("zero.heic"))));
    EXPECT_TRUE(ImageOps::thumbnail(dir.file(QStringLiteral("zero.heic")), thumbnailSide).isNull());
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("notes.png"), "not a picture at all"},
        {QStringLiteral("empty.png"), fixtures::pngWithoutPixels(400, 300)},
        {QStringLiteral("huge.png"), fixtures::pngHeaderOnly(60000, 60000)},
        {QStringLiteral("录屏.mp4"), QByteArray("\0\0\0\x18" "ftypmp42", 12)},
    };
    for (const auto& [name, content] : files) {
        test::writeFile(dir.file(name), content);
        EXPECT_TRUE(ImageOps::thumbnail(dir.file(name), thumbnailSide).isNull()) << name.toStdString();
    }
}

}  // namespace
