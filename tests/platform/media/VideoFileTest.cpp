#include "platform/media/MediaError.h"
#include "platform/media/VideoFileReader.h"
#include "platform/media/VideoFileWriter.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QtEndian>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <future>

using namespace tavero;
using namespace tavero::media;

namespace {

const QSize size(320, 240);

// A colour card of eight patches with a bar sweeping across it.
QImage card(int frame) {
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    const QList<QColor> colours{Qt::red, Qt::green, Qt::blue, Qt::white, Qt::black, QColor(128, 128, 128),
                                QColor(255, 200, 0), QColor(20, 120, 180)};
    for (int patch = 0; patch < colours.size(); ++patch) painter.fillRect(patch * 40, 0, 40, 240, colours[patch]);
    painter.fillRect(frame * 4 % 320, 200, 16, 40, Qt::white);
    return picture;
}

QString videoStream(const QString& path) {
    return test::ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                          QStringLiteral("stream=codec_name,codec_tag_string,width,height,has_b_frames,color_range,"
                                         "color_space,color_transfer,color_primaries"),
                          QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                         path)
        .trimmed();
}

// The types of the file's top-level boxes, in order.
QStringList topLevelBoxes(const QString& path) {
    QFile file(path);
    QStringList boxes;
    if (!file.open(QIODevice::ReadOnly)) return boxes;
    for (qint64 at = 0; at + 8 <= file.size();) {
        file.seek(at);
        const QByteArray header = file.read(16);
        quint64 length = qFromBigEndian<quint32>(header.constData());
        if (length == 1 && header.size() == 16) length = qFromBigEndian<quint64>(header.constData() + 8);
        boxes << QString::fromLatin1(header.mid(4, 4));
        if (length < 8) break;
        at += qint64(length);
    }
    return boxes;
}

class VideoFileTest : public testing::Test {
protected:
    test::TempDir dir;
    QString recording = dir.file(QStringLiteral("录屏.mp4"));
    QString output = dir.file(QStringLiteral("成片.mp4"));
};

}  // namespace

TEST_F(VideoFileTest, ReadsEveryPictureInOrderWithItsTimeAndColours) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(recording, {2, size}));
    const QList<QImage> reference = test::decodePictures(recording);
    VideoFileReader reader(recording, {});
    EXPECT_EQ(reader.size(), size);
    EXPECT_NEAR(reader.duration(), 2, 1e-6);
    EXPECT_EQ(reader.start(), 0);
    int count = 0;
    while (std::optional<VideoPicture> picture = reader.next()) {
        EXPECT_NEAR(picture->time, count / 30.0, 1e-6);
        ASSERT_EQ(picture->image.format(), QImage::Format_RGB32);
        if (count % 20 == 0) {
            EXPECT_GT(test::psnr(picture->image, reference.value(count).convertToFormat(QImage::Format_RGB32)), 40)
                << count;
        }
        ++count;
    }
    EXPECT_EQ(count, 60);
    EXPECT_FALSE(reader.next());
}

TEST_F(VideoFileTest, APhonesTurnedPicturesAreReadUpright) {
    // The quarters picture, turned as a player turns it for each tag.
    QImage still(size, QImage::Format_RGB32);
    {
        QPainter painter(&still);
        const QList<QColor>& colours = test::quarterColours;
        for (int quarter = 0; quarter < 4; ++quarter)
            painter.fillRect(quarter % 2 * 160, quarter / 2 * 120, 160, 120, colours[quarter]);
    }
    for (const int tag : {90, 180, 270}) {
        SCOPED_TRACE(tag);
        ASSERT_NO_FATAL_FAILURE(
            test::makeVideo(recording, {.duration = 0.2, .size = size, .quarters = true, .rotation = tag}));
        const QImage upright = still.transformed(QTransform().rotate(-tag));
        VideoFileReader reader(recording, {});
        EXPECT_EQ(reader.size(), upright.size());
        const std::optional<VideoPicture> first = reader.next();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->image.size(), upright.size());
        EXPECT_TRUE(test::sameColours(test::quartersOf(first->image), test::quartersOf(upright)));
        const std::optional<VideoPicture> scaled = reader.pictureAt(0.1, upright.size() / 4);
        ASSERT_TRUE(scaled);
        EXPECT_EQ(scaled->image.size(), upright.size() / 4);
        EXPECT_TRUE(test::sameColours(test::quartersOf(scaled->image), test::quartersOf(upright)));
    }
}

// 8K of 4:3 pixels would show 10923 wide.
TEST_F(VideoFileTest, PicturesWidenedByTheirPixelAspectStayWithinThePictureLimits) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(
        recording, {.duration = 0.1, .size = {8192, 4320}, .rate = 10, .pixelAspect = QStringLiteral("4/3")}));
    VideoFileReader reader(recording, {});
    EXPECT_EQ(reader.size(), QSize(8192, 3240));
    const std::optional<VideoPicture> first = reader.next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->image.size(), QSize(8192, 3240));
}

TEST_F(VideoFileTest, WritesEvenlyTimedPicturesBesideTheSoundTracksOfAnotherFile) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(recording, {.duration = 1.5, .size = size,
                                                        .audio = {test::systemTone, test::micTone}}));
    {
        VideoFileWriter writer(output, {size, VideoCodec::h264, 30, 45, recording, 0}, {});
        for (int frame = 0; frame < 45; ++frame) writer.writePicture(card(frame));
        writer.finish();
    }
    EXPECT_EQ(videoStream(output).toStdString(), "h264,avc1,320,240,0,tv,smpte170m,iec61966-2-1,bt709");
    const QList<double> times = test::pictureTimes(output);
    ASSERT_EQ(times.size(), 45);
    for (int frame = 0; frame < 45; ++frame) EXPECT_NEAR(times[frame], frame / 30.0, 1e-3);
    EXPECT_EQ(test::soundTrackTags(output), (QStringList{QStringLiteral("system"), QStringLiteral("mic")}));
    const QStringList boxes = topLevelBoxes(output);
    EXPECT_TRUE(boxes.contains(QStringLiteral("moov")) &&
                boxes.indexOf(QStringLiteral("moov")) < boxes.indexOf(QStringLiteral("mdat")))
        << "the index comes first: " << boxes.join(QLatin1Char(',')).toStdString();

    // What was written reads back as it went in.
    VideoFileReader reader(output, {});
    for (int frame = 0; frame < 45; ++frame) {
        const std::optional<VideoPicture> picture = reader.next();
        ASSERT_TRUE(picture);
        if (frame % 15 == 0) {
            EXPECT_GT(test::psnr(picture->image, card(frame)), 35) << frame;
        }
    }
}

TEST_F(VideoFileTest, WritesHevcTaggedForOtherPlayers) {
    {
        VideoFileWriter writer(output, {size, VideoCodec::hevc, 30, 10, {}, 0}, {});
        for (int frame = 0; frame < 10; ++frame) writer.writePicture(card(frame));
        writer.finish();
    }
    EXPECT_EQ(videoStream(output).toStdString(), "hevc,hvc1,320,240,0,tv,smpte170m,iec61966-2-1,bt709");
    EXPECT_EQ(test::pictureTimes(output).size(), 10);
}

// Only regular files are read, whatever their names: a FIFO would keep the
// reader waiting for a writer, a device would feed it without end.
TEST_F(VideoFileTest, ReadsOnlyRegularFilesAndEachUnderTheBytesOfItsName) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(recording, {1, size}));
    const test::NativeNamedCopy named(recording, dir.path(), QByteArray("\xff\xfe.mp4"));
    VideoFileReader reader(named.path(), {});
    EXPECT_TRUE(reader.next().has_value());

    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("zero.mp4"))));
    for (const QString& path : {dir.file(QStringLiteral("zero.mp4")), dir.path()})
        EXPECT_THROW(VideoFileReader(path, {}), MediaError) << path.toStdString();

    // On a thread of its own, so that a reader waiting on the FIFO fails the
    // test (and is let go as the FIFO goes) instead of hanging it.
    std::future<bool> refused;
    const test::Fifo fifo(dir.file(QStringLiteral("管道.mp4")));
    refused = std::async(std::launch::async, [&] {
        try {
            VideoFileReader(fifo.path(), {});
            return false;
        } catch (const MediaError&) {
            return true;
        }
    });
    ASSERT_EQ(refused.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "waits for a writer";
    EXPECT_TRUE(refused.get());
}

// When the program ends, every token is cancelled, those made later too, and
// reads give up at once. In a process of its own, since it is for good.
TEST_F(VideoFileTest, TheProgramsEndAbandonsEveryRead) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(recording, {1, size}));
    EXPECT_EXIT(
        {
            const CancelToken before;
            VideoFileReader reader(recording, before);
            CancelToken::cancelAll();
            bool abandoned = false;
            try {
                reader.next();
            } catch (const MediaError& error) {
                abandoned = error.abandoned();
            }
            std::_Exit(abandoned && before.cancelled() && CancelToken().cancelled() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
