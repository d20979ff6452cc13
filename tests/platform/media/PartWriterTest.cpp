#include "platform/media/PartWriter.h"
#include "platform/media/PictureConverter.h"
#include "platform/media/MediaError.h"
#include "platform/media/PlayableVideo.h"
#include "tests/support/Disks.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tavero;
using namespace tavero::media;

namespace {

// A picture that changes with every frame: a bar sweeping across noise.
QImage moving(QSize size, int frame) {
    QImage picture = fixtures::noise(size.width(), size.height(), 7).convertToFormat(QImage::Format_RGB32);
    QPainter(&picture).fillRect(frame * 4 % size.width(), 0, 16, size.height(), Qt::white);
    return picture;
}

void writeTone(PartWriter& writer, int track, double frequency, double seconds) {
    std::vector<float> samples;
    for (int i = 0; i < int(seconds * 48000); ++i) samples.insert(samples.end(), 2, float(0.5 * std::sin(2 * std::numbers::pi * frequency * i / 48000)));
    writer.writeSound(track, samples.data(), int(samples.size() / 2));
}

// The peak signal-to-noise ratio of two grey pictures of one size, in dB.
double psnr(const QImage& a, const QImage& b) {
    double squares = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const double difference = double(a.constScanLine(y)[x]) - b.constScanLine(y)[x];
            squares += difference * difference;
        }
    const double mean = squares / (double(a.width()) * a.height());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

// The luma an encoder sees, by the BT.601 limited-range matrix.
QImage bt601Luma(const QImage& picture) {
    QImage luma(picture.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb rgb = picture.pixel(x, y);
            luma.scanLine(y)[x] = uchar(((66 * qRed(rgb) + 129 * qGreen(rgb) + 25 * qBlue(rgb) + 128) >> 8) + 16);
        }
    return luma;
}

class PartWriterTest : public testing::Test {
protected:
    test::TempDir dir;
    QString path = dir.file(QStringLiteral("片段_001.mp4"));
};

TEST_F(PartWriterTest, WritesTimedPicturesAndNamedSoundTracksOurPlayersAndJoinersExpect) {
    const QSize size(320, 240);
    {
        PartWriter writer(path, {size, {QStringLiteral("system"), QStringLiteral("mic")}});
        // Variable rate: pictures at their own times, one left out as too early.
        for (int frame = 0; frame < 60; ++frame) EXPECT_TRUE(writer.writePicture(moving(size, frame), frame / 30.0 + (frame > 30 ? 0.01 : 0)));
        EXPECT_FALSE(writer.writePicture(moving(size, 0), 1.5));
        EXPECT_NEAR(writer.writtenSeconds(), 59 / 30.0 + 0.01 + 1 / 30.0, 1e-9);
        writeTone(writer, 0, 440, 2.0);
        writeTone(writer, 1, 1000, 2.0);
        writer.finish();
    }
    const QString streams = test::ffprobe({QStringLiteral("-show_entries"),
                                           QStringLiteral("stream=codec_name,width,height,pix_fmt,has_b_frames,color_space,"
                                                          "color_primaries,color_transfer,color_range,sample_rate,channels:"
                                                          "stream_tags=handler_name"),
                                           QStringLiteral("-of"), QStringLiteral("compact=p=0:nk=1")},
                                          path);
    EXPECT_TRUE(streams.contains(QStringLiteral("h264|320|240|0|yuv420p|tv|smpte170m|iec61966-2-1|bt709")))
        << streams.toStdString();
    EXPECT_TRUE(streams.contains(QStringLiteral("aac|48000|2|system"))) << streams.toStdString();
    EXPECT_TRUE(streams.contains(QStringLiteral("aac|48000|2|mic"))) << streams.toStdString();
    EXPECT_EQ(test::pictureTimes(path, true), (QList<double>{0.0, 1.0}));
    EXPECT_NEAR(measurePlayableVideo(path).duration, 2.0, 0.05);
    EXPECT_NEAR(test::toneAmplitude(test::decodeSound(path, 0), 48000, 440), 0.5, 0.05);
    EXPECT_NEAR(test::toneAmplitude(test::decodeSound(path, 1), 48000, 1000), 0.5, 0.05);
}

TEST_F(PartWriterTest, ColoursAndTextDecodeBackAsTheyWere) {
    // A colour card of eight patches and a page of text, each held for a second.
    const QSize size(640, 360);
    const QList<QColor> card{Qt::red, Qt::green, Qt::blue, Qt::white, Qt::black, QColor(128, 128, 128),
                             QColor(255, 200, 0), QColor(20, 120, 180)};
    QImage colours(size, QImage::Format_RGB32);
    QPainter painter(&colours);
    for (int patch = 0; patch < card.size(); ++patch)
        painter.fillRect(patch * 80, 0, 80, 360, card[patch]);
    painter.end();
    const QImage text = fixtures::textPage(size.width(), size.height()).convertToFormat(QImage::Format_RGB32);
    {
        PartWriter writer(path, {size, {}});
        for (int frame = 0; frame < 60; ++frame) writer.writePicture(frame < 30 ? colours : text, frame / 30.0);
        writer.finish();
    }
    const QList<QImage> decoded = test::decodePictures(path);
    ASSERT_EQ(decoded.size(), 60);
    for (int patch = 0; patch < card.size(); ++patch) {
        const QColor got = decoded[29].pixelColor(patch * 80 + 40, 180);
        const QColor want = card[patch];
        EXPECT_NEAR(got.red(), want.red(), 6) << patch;
        EXPECT_NEAR(got.green(), want.green(), 6) << patch;
        EXPECT_NEAR(got.blue(), want.blue(), 6) << patch;
    }
    EXPECT_GE(psnr(test::decodeLuma(path).at(59), bt601Luma(text)), 40.0);
}

TEST_F(PartWriterTest, EveryWholeSecondReachesTheDiskBeforeTheEnd) {
    const QSize size(320, 240);
    PartWriter writer(path, {size, {QString()}});
    for (int frame = 0; frame < 105; ++frame) {
        writer.writePicture(moving(size, frame), frame / 30.0);
        if (frame % 10 == 0) writeTone(writer, 0, 440, 10 / 30.0);
    }
    // What a killed program leaves: the file as it is now, never finished.
    QFile::copy(path, dir.file(QStringLiteral("killed.mp4")));
    EXPECT_GE(measurePlayableVideo(dir.file(QStringLiteral("killed.mp4"))).duration, 2.0);
}

TEST_F(PartWriterTest, EachPictureReachesTheFileAsItIsWrittenAndTheLastLastsOneFrame) {
    // A still screen: a picture a second, then one more when it stops.
    const QSize size(320, 240);
    const QImage still = moving(size, 0);
    PartWriter writer(path, {size, {}});
    for (const double seconds : {0.0, 1.0, 2.0}) writer.writePicture(still, seconds);
    // Held back by the encoder, the picture at 2 s would not close the
    // second fragment yet.
    QFile::copy(path, dir.file(QStringLiteral("killed.mp4")));
    EXPECT_NEAR(measurePlayableVideo(dir.file(QStringLiteral("killed.mp4"))).duration, 2.0, 0.01);
    writer.writePicture(still, 2.5);
    writer.finish();
    EXPECT_NEAR(measurePlayableVideo(path).duration, 2.5 + 1 / 30.0, 0.01);
}

// The disk fills 150 bytes into the next fragment, in its index's table of
// samples (a cut there makes FFmpeg's reader refuse the whole file): the
// part keeps the whole seconds before it, and with none leaves no file; so
// does a part left without finish() before its first second, and one whose
// header the disk refuses.
TEST_F(PartWriterTest, ADiskFullMidFragmentLeavesTheWholeSecondsBeforeItOrNoFile) {
    const QSize size(320, 240);
    for (const bool full : {true, false})
        for (const int seconds : {0, 1}) {
            SCOPED_TRACE(testing::Message() << (full ? "a full disk after " : "left after ") << seconds << " s");
            const QString part = dir.file(QStringLiteral("片段_%1%2.mp4").arg(full).arg(seconds));
            {
                PartWriter writer(part, {size, {}});
                int frame = 0;
                const auto writeUntil = [&](double end) {
                    for (; frame / 30.0 < end; ++frame) writer.writePicture(moving(size, frame), frame / 30.0);
                };
                writeUntil(seconds + 0.5);
                if (full) {
                    const test::FileSizeLimit disk(QFileInfo(part).size() + 150);
                    EXPECT_THROW(writeUntil(seconds + 2), MediaError);
                    EXPECT_THROW(writer.finish(), MediaError);
                }
            }
            if (seconds == 0) EXPECT_FALSE(QFile::exists(part));
            else EXPECT_NEAR(measurePlayableVideo(part).duration, seconds, 0.01);
        }
    const test::FileSizeLimit disk(16);
    EXPECT_THROW(PartWriter(path, {size, {}}), MediaError);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PartWriterTest, FitsAPictureOfAnotherSizeOnBlack) {
    {
        PartWriter writer(path, {QSize(320, 240), {}});
        QImage wide(640, 240, QImage::Format_RGB32);
        wide.fill(Qt::white);
        writer.writePicture(wide, 0);
        writer.finish();
    }
    const QImage decoded = test::decodePictures(path).value(0);
    ASSERT_EQ(decoded.size(), QSize(320, 240));
    // Half as high, centred: black above and below.
    EXPECT_LT(qGray(decoded.pixel(160, 20)), 20);
    EXPECT_GT(qGray(decoded.pixel(160, 120)), 235);
    EXPECT_LT(qGray(decoded.pixel(160, 220)), 20);
}

TEST_F(PartWriterTest, OneConvertedFrameReusedForEveryPictureKeepsEachPictureAsItWas) {
    // As a live recorder does: each picture converted into the frame the one
    // before was written from, a tall one fitted in on black.
    const QList<QColor> colours{Qt::red, Qt::green, Qt::blue, Qt::white};
    {
        PartWriter writer(path, {QSize(320, 240), {}});
        PictureConverter converter(writer.size());
        const media::Frame frame = converter.makeFrame();
        for (qsizetype index = 0; index < colours.size(); ++index) {
            QImage picture(index == 3 ? QSize(160, 240) : QSize(320, 240), QImage::Format_RGB32);
            picture.fill(colours[index]);
            converter.convert(picture, *frame);
            ASSERT_TRUE(writer.writePicture(*frame, index / 30.0));
        }
        writer.finish();
    }
    const QList<QImage> decoded = test::decodePictures(path);
    ASSERT_EQ(decoded.size(), colours.size());
    for (qsizetype index = 0; index < 3; ++index) {
        const QColor centre = decoded[index].pixelColor(160, 120);
        EXPECT_NEAR(centre.red(), colours[index].red(), 12) << index;
        EXPECT_NEAR(centre.green(), colours[index].green(), 12) << index;
        EXPECT_NEAR(centre.blue(), colours[index].blue(), 12) << index;
    }
    // Half as wide, centred: black on either side.
    EXPECT_LT(qGray(decoded[3].pixel(20, 120)), 20);
    EXPECT_GT(qGray(decoded[3].pixel(160, 120)), 235);
    EXPECT_LT(qGray(decoded[3].pixel(300, 120)), 20);
}

}  // namespace
