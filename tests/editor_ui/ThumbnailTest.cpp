// The history's small pictures: decoded off the main thread once shown,
// videos never read, and a reused thumbnail never shows another entry's picture.
#include "document/ImageOps.h"
#include "editor_ui/Thumbnail.h"
#include "tests/support/Files.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class ThumbnailTest : public ::testing::Test {
protected:
    QString picture(const QString& name, int width, int height) {
        const QString path = folder.file(name);
        test::writeFile(path, ImageOps::png(fixtures::screenshotLike(width, height), QStringLiteral("png")));
        return path;
    }

    // Waits for the decoding of the shown file, then lets any late answer land.
    static bool settle(QSignalSpy& loaded, int expected) {
        const bool arrived = QTest::qWaitFor([&] { return loaded.count() >= expected; }, 5000);
        QTest::qWait(50);
        return arrived && loaded.count() == expected;
    }

    test::TempDir folder;
};

TEST_F(ThumbnailTest, AShownImageEntryLoadsAReducedPicture) {
    Thumbnail thumbnail(picture(QStringLiteral("宽图.png"), 4000, 1000), false);
    thumbnail.resize(44, 40);
    QSignalSpy loaded(&thumbnail, &Thumbnail::pictureLoaded);
    QTest::qWait(50);
    EXPECT_EQ(loaded.count(), 0) << "nothing is read before the thumbnail shows";
    EXPECT_EQ(thumbnail.placeholderSymbol(), QStringLiteral("photo"));

    thumbnail.show();
    ASSERT_TRUE(settle(loaded, 1));
    EXPECT_EQ(thumbnail.picture().size(), QSize(110, 28));
}

TEST_F(ThumbnailTest, VideosAndUnreadableFilesKeepThePlaceholder) {
    Thumbnail video(picture(QStringLiteral("录屏.mp4"), 200, 100), true);
    QSignalSpy videoLoaded(&video, &Thumbnail::pictureLoaded);
    video.show();
    QTest::qWait(100);
    EXPECT_EQ(videoLoaded.count(), 0) << "a video entry is never decoded, whatever its file holds";
    EXPECT_EQ(video.placeholderSymbol(), QStringLiteral("video"));

    test::writeFile(folder.file(QStringLiteral("坏图.png")), "not a picture");
    for (const QString& name : {QStringLiteral("不见了.png"), QStringLiteral("坏图.png")}) {
        Thumbnail broken(folder.file(name), false);
        QSignalSpy loaded(&broken, &Thumbnail::pictureLoaded);
        broken.show();
        QTest::qWait(100);
        EXPECT_EQ(loaded.count(), 0) << name.toStdString();
        EXPECT_TRUE(broken.picture().isNull());
        EXPECT_EQ(broken.placeholderSymbol(), QStringLiteral("photo"));
    }
}

TEST_F(ThumbnailTest, AReusedThumbnailDropsThePreviousEntrysPicture) {
    Thumbnail thumbnail(picture(QStringLiteral("第一张.png"), 400, 100), false);
    QSignalSpy loaded(&thumbnail, &Thumbnail::pictureLoaded);
    thumbnail.show();
    ASSERT_TRUE(settle(loaded, 1));

    thumbnail.setFile(picture(QStringLiteral("录屏.mp4"), 100, 100), true);
    EXPECT_TRUE(thumbnail.picture().isNull()) << "a video shows its placeholder, not the last picture";
    EXPECT_EQ(thumbnail.placeholderSymbol(), QStringLiteral("video"));

    thumbnail.setFile(picture(QStringLiteral("第二张.png"), 100, 400), false);
    ASSERT_TRUE(settle(loaded, 2));
    EXPECT_EQ(thumbnail.picture().size(), QSize(28, 110));

    thumbnail.setFile(folder.file(QStringLiteral("不见了.png")), false);
    QTest::qWait(100);
    EXPECT_TRUE(thumbnail.picture().isNull()) << "a missing file shows the placeholder";
}

TEST_F(ThumbnailTest, OnlyThePictureOfTheFileStillShownLands) {
    const QString first = picture(QStringLiteral("第一张.png"), 4000, 1000);
    const QString second = picture(QStringLiteral("第二张.png"), 100, 400);
    Thumbnail thumbnail(first, false);
    QSignalSpy loaded(&thumbnail, &Thumbnail::pictureLoaded);
    thumbnail.show();
    thumbnail.setFile(second, false);
    ASSERT_TRUE(settle(loaded, 1));
    EXPECT_EQ(thumbnail.picture().size(), QSize(28, 110)) << "the first file's late picture was dropped";
}

}  // namespace
