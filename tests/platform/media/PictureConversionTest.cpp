// The pictures of codings whose pixel formats go beyond plain 4:2:0, as the
// player shows them: decoded by MovieDecoder and converted for the screen at
// the video's own size and made smaller, beside FFmpeg's own decoding of
// them, and a card of known colours.
#include "platform/media/MovieDecoder.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PictureCodings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;
using namespace tavero::media;

namespace {

const QSize size(320, 240);
const QSize smaller(120, 90);

class PictureConversionTest : public testing::TestWithParam<test::PictureCoding> {
protected:
    QString make(test::Showing showing) {
        const QString path = dir.file(QStringLiteral("讲解.") + GetParam().suffix);
        test::makeCodedVideo(path, GetParam(), showing, size, 1.0);
        return path;
    }

    // The coding decodes into the format it stands for.
    static QString pixelFormatOf(const QString& path) {
        return test::ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                              QStringLiteral("stream=pix_fmt"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                             path)
            .trimmed();
    }

    test::TempDir dir;
};

// Opaque in memory: RGB32 keeps its alpha bytes, which a GIF or a painter
// may read.
bool opaque(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(row[x]) != 255) return false;
    }
    return true;
}

TEST_P(PictureConversionTest, EveryPictureShowsAsFFmpegDecodesIt) {
    QString path;
    ASSERT_NO_FATAL_FAILURE(path = make(test::Showing::moving));
    ASSERT_EQ(pixelFormatOf(path), GetParam().decodesInto);
    const QList<QImage> whole = test::decodePictures(path);
    const QList<QImage> reduced = test::decodePictures(path, smaller);
    ASSERT_EQ(whole.size(), 10);
    ASSERT_EQ(reduced.size(), 10);
    MovieDecoder decoder(path, {});
    for (int index = 0; index < 10; ++index) {
        SCOPED_TRACE(index);
        const std::optional<MovieFrame> picture = decoder.nextPicture();
        ASSERT_TRUE(picture);
        const QImage shown = uprightPicture(*picture->frame, decoder.turn(), size);
        ASSERT_EQ(shown.format(), QImage::Format_RGB32);
        EXPECT_GT(test::psnr(shown, whole[index].convertToFormat(QImage::Format_RGB32)), 35);
        const QImage small = uprightPicture(*picture->frame, decoder.turn(), smaller);
        ASSERT_EQ(small.size(), smaller);
        EXPECT_GT(test::psnr(small, reduced[index].convertToFormat(QImage::Format_RGB32)), 30);
        EXPECT_TRUE(opaque(shown) && opaque(small));
    }
    EXPECT_FALSE(decoder.nextPicture());
}

// Converted with the matrix it is tagged with, a BT.709 card keeps its
// colours: read as BT.601 its red and green would be some 20 off. A card
// with transparency shows its colours opaque.
TEST_P(PictureConversionTest, ACardKeepsItsColoursAtItsOwnSizeAndSmaller) {
    QString path;
    ASSERT_NO_FATAL_FAILURE(path = make(test::Showing::quarters));
    MovieDecoder decoder(path, {});
    const std::optional<MovieFrame> first = decoder.nextPicture();
    ASSERT_TRUE(first);
    for (const QSize shownAt : {size, smaller, size * 2}) {
        SCOPED_TRACE(shownAt.width());
        const QImage shown = uprightPicture(*first->frame, decoder.turn(), shownAt);
        ASSERT_EQ(shown.size(), shownAt);
        EXPECT_TRUE(test::sameColours(test::quartersOf(shown), test::quarterColours, 8));
    }
    EXPECT_TRUE(opaque(uprightPicture(*first->frame, decoder.turn(), size)));
    EXPECT_TRUE(opaque(uprightPicture(*first->frame, decoder.turn(), smaller)));
}

INSTANTIATE_TEST_SUITE_P(Codings, PictureConversionTest, testing::ValuesIn(test::pictureCodings()),
                         [](const testing::TestParamInfo<test::PictureCoding>& coding) { return coding.param.name; });

}  // namespace
