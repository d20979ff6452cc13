// The pictures of codings whose pixel formats go beyond plain 4:2:0, as the
// player shows them: decoded by MovieDecoder and converted for the screen at
// the video's own size, made smaller and made larger, beside FFmpeg's own
// decoding of them, and a card of known colours.
#include "platform/media/MediaError.h"
#include "platform/media/MovieDecoder.h"
#include "platform/media/PictureConversion.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PictureCodings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tavero;
using namespace tavero::media;

namespace {

const QSize size(320, 240);
const QSize smaller(120, 90);
// A window larger than the video, by a ratio that is no whole number.
const QSize larger(480, 360);

// A size the player shows the pictures at, and how alike they must be to
// FFmpeg's decoding at that size (peak signal-to-noise ratio, dB).
struct ShownAt {
    QSize size;
    double psnr;
};

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
    // Made larger, FFmpeg places its samples a little apart from ours (at the
    // middle of the pixels rather than the first and last on the edges).
    for (const ShownAt shownAt : {ShownAt{size, 35}, ShownAt{smaller, 30}, ShownAt{larger, 32}}) {
        SCOPED_TRACE(shownAt.size.width());
        const QList<QImage> decoded = test::decodePictures(path, shownAt.size);
        ASSERT_EQ(decoded.size(), 10);
        MovieDecoder decoder(path, {});
        for (int index = 0; index < 10; ++index) {
            SCOPED_TRACE(index);
            const std::optional<MovieFrame> picture = decoder.nextPicture();
            ASSERT_TRUE(picture);
            const QImage shown = uprightPicture(*picture->frame, decoder.turn(), shownAt.size);
            ASSERT_EQ(shown.format(), QImage::Format_RGB32);
            ASSERT_EQ(shown.size(), shownAt.size);
            EXPECT_GT(test::psnr(shown, decoded[index].convertToFormat(QImage::Format_RGB32)), shownAt.psnr);
            EXPECT_TRUE(opaque(shown));
        }
        EXPECT_FALSE(decoder.nextPicture());
    }
}

// Converted with the matrix it is tagged with, a BT.709 card keeps its
// colours: read as BT.601 its red and green would be some 20 off. A card
// with transparency shows its colours opaque. Made larger, each colour keeps
// its levels: 255 showed 253, whatever the coding.
TEST_P(PictureConversionTest, ACardKeepsItsColoursAtItsOwnSizeSmallerAndLarger) {
    QString path;
    ASSERT_NO_FATAL_FAILURE(path = make(test::Showing::quarters));
    MovieDecoder decoder(path, {});
    const std::optional<MovieFrame> first = decoder.nextPicture();
    ASSERT_TRUE(first);
    const QList<QColor> ownColours = test::quartersOf(uprightPicture(*first->frame, decoder.turn(), size));
    for (const QSize shownAt : {size, smaller, larger, size * 2, QSize(1280, 200)}) {
        SCOPED_TRACE(testing::Message() << shownAt.width() << " x " << shownAt.height());
        const QImage shown = uprightPicture(*first->frame, decoder.turn(), shownAt);
        ASSERT_EQ(shown.size(), shownAt);
        const QList<QColor> colours = test::quartersOf(shown);
        EXPECT_TRUE(test::sameColours(colours, test::quarterColours, 8));
        if (shownAt.width() > size.width()) {
            EXPECT_TRUE(test::sameColours(colours, ownColours, 1));
        }
    }
    EXPECT_TRUE(opaque(uprightPicture(*first->frame, decoder.turn(), size)));
    EXPECT_TRUE(opaque(uprightPicture(*first->frame, decoder.turn(), smaller)));
}

// A BT.601 picture of `size`, a sample per pixel, its columns in the colours
// (Y, Cb, Cr) `columns` gives them from the left, the last one repeated.
Frame columnsFrame(QSize size, const QList<std::array<uint8_t, 3>>& columns) {
    Frame frame = makeFrame();
    frame->format = AV_PIX_FMT_YUV444P;
    frame->width = size.width();
    frame->height = size.height();
    check(av_frame_get_buffer(frame.get(), 0), "av_frame_get_buffer");
    for (int plane = 0; plane < 3; ++plane)
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                frame->data[plane][y * frame->linesize[plane] + x] = columns[std::min<qsizetype>(x, columns.size() - 1)][plane];
    return frame;
}

// A BT.601 picture of `size` in one colour.
Frame flatFrame(QSize size) { return columnsFrame(size, {{170, 90, 200}}); }

// Made larger, a picture in one colour keeps it whatever its shape: one
// pixel wide or tall, of odd sizes, or larger one way and smaller the other.
TEST(PictureEnlargingTest, AFlatPictureKeepsItsColourInAnyShape) {
    for (const auto& [own, shown] : {std::pair{QSize(1, 1), QSize(5, 3)}, std::pair{QSize(1, 6), QSize(3, 9)},
                                     std::pair{QSize(6, 1), QSize(9, 4)}, std::pair{QSize(7, 5), QSize(16, 11)},
                                     std::pair{QSize(64, 48), QSize(97, 30)}}) {
        SCOPED_TRACE(testing::Message() << own.width() << " x " << own.height() << " shown at " << shown.width()
                                        << " x " << shown.height());
        const Frame frame = flatFrame(own);
        QImage flat(shown, QImage::Format_RGB32);
        flat.fill(toRgb(*frame).pixel(0, 0));
        EXPECT_TRUE(toRgb(*frame, shown) == flat);
    }
}

// Made larger, an edge from black to white and the same edge from white to
// black stay each other's negative: each value rounded to the nearest, where
// cutting the fractions off left both a level darker between the two.
TEST(PictureEnlargingTest, AnEdgeAndItsNegativeStayNegativesOfEachOther) {
    const Frame blackToWhite = columnsFrame(QSize(2, 1), {{16, 128, 128}, {235, 128, 128}});
    const Frame whiteToBlack = columnsFrame(QSize(2, 1), {{235, 128, 128}, {16, 128, 128}});
    for (const QSize shown : {QSize(2, 1), QSize(7, 1), QSize(97, 3)}) {
        SCOPED_TRACE(testing::Message() << shown.width() << " x " << shown.height());
        const QImage edge = toRgb(*blackToWhite, shown), negative = toRgb(*whiteToBlack, shown);
        ASSERT_EQ(edge.size(), shown);
        int apart = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb a = edge.pixel(x, y), b = negative.pixel(x, y);
                apart += qRed(a) + qRed(b) != 255 || qGreen(a) + qGreen(b) != 255 || qBlue(a) + qBlue(b) != 255;
            }
        EXPECT_EQ(apart, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, PictureConversionTest, testing::ValuesIn(test::pictureCodings()),
                         [](const testing::TestParamInfo<test::PictureCoding>& coding) { return coding.param.name; });

}  // namespace
