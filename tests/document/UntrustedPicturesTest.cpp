// Pictures whose headers lie or that hide bulk beside their pixels: refused
// before anyone sees them, or opened without the bulk.
#include "document/ImageOps.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/CraftedHeif.h"
#include "tests/support/Files.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

constexpr long long smallGrowth = 64ll << 20;
// Less than a 6000 × 6000 picture's colour planes take before decoding.
constexpr long long tinyGrowth = 16ll << 20;


// Runs `work` in a child, and fails unless it refused with the load sentence
// by throwing `Refusal`.
template <class Refusal = ImageOps::PictureTooLarge>
long long growthOfRefusal(const std::function<void()>& work) {
    return test::peakMemoryGrowth([&] {
        try {
            work();
        } catch (const Refusal& refusal) {
            if (refusal.message() == QStringLiteral("无法读取图片，或图片超过 4000 万像素。")) return;
        }
        std::abort();
    });
}

// Opening `path` is refused with the load sentence and its thumbnail is not
// made, each growing memory by less than `growth`.
void expectRefusedWithin(const QString& path, long long growth) {
    const long long loading = growthOfRefusal<ShotError>([&] { ImageOps::load(path); });
    const long long thumbnail = test::peakMemoryGrowth([&] {
        if (!ImageOps::thumbnail(path, 110).isNull()) std::abort();
    });
    ASSERT_GE(loading, 0) << "not refused";
    ASSERT_GE(thumbnail, 0) << "a thumbnail was made";
    EXPECT_LT(loading, growth);
    EXPECT_LT(thumbnail, growth);
}

QByteArray heic(const QImage& image) { return ImageOps::png(image, QStringLiteral("heic")); }

}  // namespace

TEST(UntrustedPictures, AnIconAroundALargerPictureIsRefusedByWhatItDecodesTo) {
    const test::TempDir dir;
    const QByteArray icon = fixtures::iconAround(fixtures::blackPng(9000, 7000));
    EXPECT_EQ(ImageOps::encodedImageSize(icon), QSize(256, 256)) << "the header understates";
    const QString path = dir.file(QStringLiteral("图标.ico"));
    test::writeFile(path, icon);
    test::expectShotError([&] { ImageOps::load(path); }, QStringLiteral("无法读取图片，或图片超过 4000 万像素。"));
    EXPECT_THROW(ImageOps::decode(icon), ImageOps::PictureTooLarge);
    EXPECT_TRUE(ImageOps::thumbnail(path, 110).isNull());

    const QString honest = dir.file(QStringLiteral("真图标.ico"));
    test::writeFile(honest, fixtures::iconAround(ImageOps::png(fixtures::screenshotLike(256, 256), QStringLiteral("png"))));
    EXPECT_EQ(ImageOps::load(honest).size(), QSize(256, 256)) << "an icon that tells the truth opens";
}

// 63 megapixels would decode to 250 MB and more before the decoded size is
// measured: the wrapped PNG's header refuses it first.
TEST(UntrustedPictures, AnIconAroundALargerPngIsRefusedBeforeDecoding) {
    const test::TempDir dir;
    const QByteArray icon = fixtures::iconAround(fixtures::blackPng(9000, 7000));
    const QString path = dir.file(QStringLiteral("图标.ico"));
    test::writeFile(path, icon);
    for (const auto& [what, open] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"decode", [&] { ImageOps::decode(icon); }}, {"load", [&] { ImageOps::load(path); }}}) {
        const long long growth = growthOfRefusal(open);
        ASSERT_GE(growth, 0) << what << ": not refused as too large";
        EXPECT_LT(growth, smallGrowth) << what;
    }
}

TEST(UntrustedPictures, AHeicCodedLargerThanItsSizeBoxIsRefusedBeforeDecoding) {
    // 600 × 400 stands in for 7000 × 7000: the stream is refused for being
    // larger than the box, and encoding 49 megapixels takes seconds.
    const QByteArray heic = fixtures::withSizeBox(ImageOps::png(fixtures::screenshotLike(600, 400), QStringLiteral("heic")),
                                          QSize(100, 100));
    EXPECT_EQ(ImageOps::encodedImageSize(heic), QSize(100, 100));
    const long long growth = growthOfRefusal([&] { ImageOps::decode(heic); });
    ASSERT_GE(growth, 0) << "not refused as too large";
    EXPECT_LT(growth, smallGrowth);

    const QByteArray boxed = fixtures::withSizeBox(ImageOps::png(fixtures::screenshotLike(600, 400), QStringLiteral("heic")),
                                           QSize(600, 400));
    EXPECT_EQ(ImageOps::decode(boxed).size(), QSize(600, 400)) << "a box that tells the truth opens";
}

// libde265 makes room for a picture of the size its sequence parameters
// state, though the stream codes only its corner: 8192 × 8192 declared
// 32000 × 1, within each side, took two seconds and 540 MB to open and as
// much again for the history. A stream stating more than the blocks of its
// declared size, in the decoder setup or in the coded data, of the picture
// or of a grid's tile, is refused before anything is decoded, and so is a
// tile declared as large as it states but far larger than its grid: one of
// 8192 × 8192 in a grid of 8192 × 1 took a second and 300 MB.
TEST(UntrustedPictures, AHeicWhoseStreamStatesALargerSizeThanItsBoxIsRefusedBeforeDecoding) {
    using fixtures::CodedSizeIn;
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("大流.heic"));
    const QByteArray small = heic(fixtures::solid(QSize(64, 64), Qt::red));
    for (const CodedSizeIn where : {CodedSizeIn::setup, CodedSizeIn::data}) {
        SCOPED_TRACE(int(where));
        const QByteArray tile = fixtures::heicCodedAs(small, QSize(512, 512), QSize(2048, 2048), where);
        const QByteArray largeTile = fixtures::heicCodedAs(small, QSize(8192, 8192), QSize(8192, 8192), where);
        for (const QByteArray& crafted : {fixtures::heicCodedAs(small, QSize(32000, 1), QSize(8192, 8192), where),
                                          fixtures::heicGrid({tile}, 4, 4, QSize(2048, 2048)),
                                          fixtures::heicGrid({tile}, 4, 4, QSize(2048, 2048), fixtures::TileReuse::sameData,
                                                             fixtures::TileSetups::perItem),
                                          fixtures::heicGrid({largeTile}, 1, 1, QSize(8192, 1))}) {
            test::writeFile(path, crafted);
            expectRefusedWithin(path, tinyGrowth);
        }
        const QByteArray stated = fixtures::heicCodedAs(small, QSize(64, 64), QSize(64, 64), where);
        EXPECT_EQ(ImageOps::decode(stated).size(), QSize(64, 64)) << "a stream stating its own size opens";
    }
    EXPECT_EQ(ImageOps::decode(heic(fixtures::screenshotLike(601, 401))).size(), QSize(601, 401))
        << "a stream coded in whole blocks and cropped opens";
}

// libheif decodes AV1-coded pictures too, with dav1d, at the size their
// stream states: 8192 × 8192 declared 32000 × 1, under a kilobyte, took a
// second and a half and 550 MB to open, and as much again for the history,
// before its decoded size was refused; 2048 × 2048 opened at that size
// whatever it declared. HEIC pictures are coded in HEVC: one whose picture
// or tile is coded in AV1 is not read at all, whatever size it declares.
TEST(UntrustedPictures, AHeifCodedInAv1IsRefusedBeforeDecoding) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("av1.heic"));
    const QByteArray av1 = fixtures::av1Picture(QSize(2048, 2048));
    ASSERT_FALSE(av1.isEmpty()) << "FFmpeg made no AV1 picture";
    for (const QByteArray& crafted :
         {fixtures::withSizeBox(av1, QSize(32000, 1)), av1, fixtures::heicGrid({av1}, 1, 1, QSize(2048, 1))}) {
        test::writeFile(path, crafted);
        expectRefusedWithin(path, tinyGrowth);
    }
}

// A picture of a few hundred bytes padded to a gigabyte, with zeros, with a
// box of no meaning, with a 100 MB colour profile (which libheif reads whole,
// a byte at a time) or with two million empty boxes (each of which libheif
// kept) once cost as much memory to open and to show in the history: only
// the first boxes of the file are looked at, and of them only those that
// describe the picture and its coded stream are read.
TEST(UntrustedPictures, AHeicPaddedToAGigabyteOpensReadingOnlyItsPicture) {
    const test::TempDir dir;
    const QByteArray heic = ImageOps::png(fixtures::screenshotLike(64, 48), QStringLiteral("heic"));
    constexpr qint64 padded = 1'000'000'000;
    QByteArray freeBox("\0\0\0\0free", 8);
    qToBigEndian(quint32(padded - heic.size()), freeBox.data());
    QByteArray profile("\0\0\0\0colrprof", 12);
    qToBigEndian(quint32(100'000'000), profile.data());
    const QByteArray emptyBoxes = QByteArray("\0\0\0\x08skip", 8).repeated(2'000'000);
    for (const QByteArray& head : {QByteArray(), freeBox, profile, emptyBoxes}) {
        const QString path = dir.file(QStringLiteral("padded.heic"));
        test::writeFile(path, heic + head);
        ASSERT_TRUE(QFile(path).resize(padded));
        for (const auto& open : {std::function([&] { return ImageOps::load(path); }),
                                 std::function([&] { return ImageOps::thumbnail(path, 110); })}) {
            const long long growth = test::peakMemoryGrowth([&] {
                if (open().size() != QSize(64, 48)) std::abort();
            });
            ASSERT_GE(growth, 0) << "the picture did not open";
            EXPECT_LT(growth, smallGrowth) << head.left(8).toHex().toStdString();
        }
    }
}

// libheif reads a coded stream whole, and takes a read that fails for a
// broken program: a picture whose stream was declared 300 MB long, more than
// any picture within the limit needs, stopped the program when its reading
// was cut short there. Such a stream is refused unread.
TEST(UntrustedPictures, AHeicWhoseCodedStreamIsLongerThanAnyPictureNeedsIsRefusedUnread) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("长流.heic"));
    const QByteArray small = heic(fixtures::screenshotLike(64, 48));
    constexpr quint32 declared = 300'000'000;
    test::writeFile(path, fixtures::withCodedLength(small, declared));
    ASSERT_TRUE(QFile(path).resize(small.size() + declared));
    expectRefusedWithin(path, smallGrowth);
}

// Each tile of a grid is decoded on its own: 100 × 100 tiles of 64 pixels
// declaring 6000 × 6000, all one coded tile, once took half a minute and
// 300 MB to open and as long again for the history. A grid of no more tiles
// than 256-pixel squares cover, or of 64, opens: a phone's of 512 pixels.
TEST(UntrustedPictures, AHeicGridOfMoreTilesThanItsSizeNeedsIsRefusedBeforeDecoding) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("网格.heic"));
    const QByteArray small = heic(fixtures::solid(QSize(64, 64), Qt::red));
    for (const auto reuse : {fixtures::TileReuse::sameItem, fixtures::TileReuse::sameData}) {
        SCOPED_TRACE(int(reuse));
        test::writeFile(path, fixtures::heicGrid({small}, 100, 100, QSize(6000, 6000), reuse));
        expectRefusedWithin(path, tinyGrowth);
    }

    const QColor colours[] = {Qt::red, Qt::blue};
    QList<QByteArray> tiles;
    for (const QColor& colour : colours) tiles.append(heic(fixtures::solid(QSize(512, 512), colour)));
    for (const auto setups : {fixtures::TileSetups::shared, fixtures::TileSetups::perItem}) {
        const QImage phone =
            ImageOps::decode(fixtures::heicGrid(tiles, 8, 6, QSize(4032, 3024), fixtures::TileReuse::sameData, setups));
        ASSERT_EQ(phone.size(), QSize(4032, 3024));
        for (int place = 0; place < 48; ++place) {
            const QColor shown = phone.pixelColor(place % 8 * 512 + 256, place / 8 * 512 + 256);
            const QColor& wanted = colours[place % 2];
            EXPECT_LE(std::abs(shown.red() - wanted.red()) + std::abs(shown.blue() - wanted.blue()), 16) << place;
        }
    }
    const QByteArray fewSmallTiles = fixtures::heicGrid({small}, 8, 8, QSize(512, 512), fixtures::TileReuse::sameItem);
    EXPECT_EQ(ImageOps::decode(fewSmallTiles).size(), QSize(512, 512));
}

// The check of the sizes coded streams state once gathered a decoder
// setup's sizes for each time an item named it, and an item's pieces for
// each entry that placed it: 2,500 sequence parameter sets, under 64 KB,
// named 254 times in each of 100 entries of the picture, took 500 MB and
// seconds to refuse, and 4,000 entries more than 4 GB; 65,534 entries that
// placed the picture's data again, in 256 pieces of no bytes each, 500 MB and
// 15 seconds. Each property, and each item's first place, is read once.
TEST(UntrustedPictures, AHeicWhoseTablesNameOneThingOverAndOverIsRefusedReadingItOnce) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("重复.heic"));
    fixtures::DescriptionBulk namings, places;
    namings.cutParameterCopies = 2500;
    namings.entries = 100;
    namings.setupNamings = 254;
    places.locationCopies = 65534;
    for (const fixtures::DescriptionBulk& bulk : {namings, places}) {
        SCOPED_TRACE(bulk.entries);
        test::writeFile(path, fixtures::heicWithBulk(heic(fixtures::solid(QSize(64, 64), Qt::red)), bulk));
        expectRefusedWithin(path, tinyGrowth);
    }
}

// Each bound on a HEIC file refuses one that no other does: more items than
// libheif reads in good time, text beside the picture; a description larger
// than any picture's, a colour profile that no item names; a stream stating
// a side larger than the blocks of the one declared, though not more pixels
// than the file may state.
TEST(UntrustedPictures, EachBoundOnAHeicRefusesAFileOfItsOwn) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("界限.heic"));
    const QByteArray small = heic(fixtures::solid(QSize(64, 64), Qt::red));
    fixtures::DescriptionBulk manyItems, largeProfile;
    manyItems.textItems = 1100;
    largeProfile.profileBytes = 17 << 20;
    for (const auto& [bound, crafted] : std::initializer_list<std::pair<const char*, QByteArray>>{
             {"items", fixtures::heicWithBulk(small, manyItems)},
             {"description", fixtures::heicWithBulk(small, largeProfile)},
             {"side", fixtures::heicCodedAs(small, QSize(32000, 1), QSize(8192, 2048), fixtures::CodedSizeIn::setup)}}) {
        SCOPED_TRACE(bound);
        test::writeFile(path, crafted);
        expectRefusedWithin(path, tinyGrowth);
    }
    EXPECT_EQ(ImageOps::decode(fixtures::heicWithBulk(small, {})).size(), QSize(64, 64)) << "the picture without bulk opens";
}

TEST(UntrustedPictures, TextChunksThatUnpackToGigabytesAreLeftOut) {
    const test::TempDir dir;
    const QByteArray bomb = fixtures::withTextChunks(fixtures::blackPng(10, 10), 100, 7'900'000);
    EXPECT_LT(bomb.size(), 1 << 20) << "under a megabyte on the disk";
    const QString path = dir.file(QStringLiteral("文字.png"));
    test::writeFile(path, bomb);

    const long long growth = test::peakMemoryGrowth([&] {
        if (ImageOps::encodedImageSize(bomb) != QSize(10, 10)) std::abort();
        if (ImageOps::decode(bomb).size() != QSize(10, 10)) std::abort();
        if (ImageOps::load(path).size() != QSize(10, 10)) std::abort();
        if (ImageOps::thumbnail(path, 110).size() != QSize(10, 10)) std::abort();
    });
    ASSERT_GE(growth, 0) << "the picture did not open";
    EXPECT_LT(growth, smallGrowth);

    const QByteArray captioned = fixtures::withTextChunks(fixtures::blackPng(30, 20), 2, 100);
    EXPECT_EQ(ImageOps::decode(captioned).size(), QSize(30, 20)) << "a little text is no reason to copy";
}
