// Videos whose pixels are not square, as the player and the reader behind
// GIFs and renders show them: at the shape FFmpeg's own decoding gives,
// turned as their display matrix asks. Pixels said to be far wider than
// high show square, and no shape is made beyond the picture limits.
#include "platform/media/MovieDecoder.h"
#include "platform/media/VideoFileReader.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;
using namespace tavero::media;

namespace {

class PixelAspectTest : public testing::TestWithParam<test::PixelAspectVideo> {
protected:
    test::TempDir dir;
};

TEST_P(PixelAspectTest, ThePlayerAndTheReaderShowPicturesAtTheShapeTheirPixelsMake) {
    const test::PixelAspectVideo& video = GetParam();
    const QString path = dir.file(QStringLiteral("讲解.") + video.suffix);
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(path, video.fixture));
    const QList<QImage> decoded = test::decodePictures(path, video.shown, 1);
    ASSERT_EQ(decoded.size(), 1);
    const QImage wanted = decoded.front().convertToFormat(QImage::Format_RGB32);

    MovieDecoder decoder(path, {});
    ASSERT_EQ(decoder.size(), video.shown);
    const std::optional<MovieFrame> played = decoder.nextPicture();
    ASSERT_TRUE(played);
    EXPECT_GT(test::psnr(uprightPicture(*played->frame, decoder.turn(), video.shown), wanted), 30);

    VideoFileReader reader(path, {});
    ASSERT_EQ(reader.size(), video.shown);
    const std::optional<VideoPicture> read = reader.next();
    ASSERT_TRUE(read);
    ASSERT_EQ(read->image.size(), video.shown);
    EXPECT_GT(test::psnr(read->image, wanted), 30);
}

INSTANTIATE_TEST_SUITE_P(Videos, PixelAspectTest, testing::ValuesIn(test::pixelAspectVideos()),
                         [](const testing::TestParamInfo<test::PixelAspectVideo>& video) { return video.param.name; });

// 8K of 4:3 pixels would show 10923 wide.
TEST(PixelAspectLimitTest, AWidenedPictureIsMadeNoLargerThanThePictureLimits) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("8k.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(path, {.duration = 0.1, .size = {8192, 4320}, .rate = 10,
                                                   .pixelAspect = QStringLiteral("4/3")}));
    EXPECT_EQ(MovieDecoder(path, {}).size(), QSize(8192, 3240));
    const std::optional<VideoPicture> read = VideoFileReader(path, {}).next();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->image.size(), QSize(8192, 3240));
}

}  // namespace
