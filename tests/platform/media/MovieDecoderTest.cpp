#include "platform/media/MediaError.h"
#include "platform/media/MovieDecoder.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Memory.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <future>

using namespace tavero;
using namespace tavero::media;

namespace {

const QSize size(320, 240);

// Moves `decoder` to `time` and checks that the picture it shows first is
// picture `index` of 30 a second by its time: that picture, upright; none
// when it shows none.
QImage shownAfterSeek(MovieDecoder& decoder, double time, int index) {
    decoder.seek(time);
    const std::optional<MovieFrame> picture = decoder.nextPicture();
    if (!picture) return {};
    EXPECT_NEAR(picture->time, index / 30.0, 1e-6);
    return uprightPicture(*picture->frame, decoder.turn(), size);
}

class MovieDecoderTest : public testing::Test {
protected:
    test::TempDir dir;
    const QString movie = dir.file(QStringLiteral("讲解.mp4"));
};

// Forward, back, between two pictures, onto one, before the first and past
// the last: the picture is the one a player shows then, the next one
// follows it, and the sound starts at the time itself, at its full level.
TEST_F(MovieDecoderTest, ASeekLandsOnThePictureShowingThenAndTheSoundStartsThere) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(movie, {.duration = 3.0, .size = size, .audio = {test::systemTone}}));
    const QList<QImage> reference = test::decodePictures(movie);
    ASSERT_EQ(reference.size(), 90);
    MovieDecoder decoder(movie, {});
    EXPECT_NEAR(decoder.duration(), 3.0, 0.05);
    EXPECT_EQ(decoder.size(), size);
    ASSERT_TRUE(decoder.hasSound());
    EXPECT_EQ(decoder.soundRate(), 48000);
    EXPECT_EQ(decoder.soundChannels(), 2);
    const QList<std::pair<double, int>> seeks{{1.5, 45}, {0.51, 15}, {2.0, 60}, {0.0, 0}, {2.99, 89}, {9.0, 89}};
    for (const auto& [time, index] : seeks) {
        SCOPED_TRACE(time);
        const QImage shown = shownAfterSeek(decoder, time, index);
        ASSERT_FALSE(shown.isNull());
        const double match = test::psnr(shown, reference[index].convertToFormat(QImage::Format_RGB32));
        EXPECT_GT(match, 35);
        for (const int neighbour : {index - 1, index + 1}) {
            if (neighbour < 0 || neighbour >= 90) continue;
            EXPECT_GT(match, test::psnr(shown, reference[neighbour].convertToFormat(QImage::Format_RGB32)) + 3)
                << "not picture " << neighbour;
        }
        const std::optional<MovieFrame> next = decoder.nextPicture();
        ASSERT_EQ(next.has_value(), index < 89);
        if (next) {
            EXPECT_NEAR(next->time, (index + 1) / 30.0, 1e-6);
        }
        const std::optional<MovieSound> sound = decoder.nextSound();
        ASSERT_EQ(sound.has_value(), time < 3.0);
        if (sound) {
            EXPECT_NEAR(sound->time, time, 1.0 / 48000);
            float opening = 0;
            for (size_t at = 0; at < std::min<size_t>(400, sound->samples.size()); at += 2)
                opening = std::max(opening, std::abs(sound->samples[at]));
            EXPECT_GT(opening, 0.07f) << "at its full level from the first sample";
        }
    }
}

// MPEG-TS keeps no index of its keyframes, and with B-frames its first
// keyframe is decoded before its pictures' first time: a seek back to the
// start once landed past it and showed nothing, and each seek decoded from
// the start of the file.
TEST_F(MovieDecoderTest, ASeekInAnMpegTsWithBFramesLandsOnThePictureShowingThen) {
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(
        movie, {.duration = 3.0, .size = size, .container = QStringLiteral("mpegts"), .encoderDefaults = true}));
    const QList<QImage> reference = test::decodePictures(movie);
    ASSERT_EQ(reference.size(), 90);
    MovieDecoder decoder(movie, {});
    for (const auto& [time, index] : QList<std::pair<double, int>>{{2.0, 60}, {0.0, 0}, {1.51, 45}, {0.0, 0}}) {
        SCOPED_TRACE(time);
        const QImage shown = shownAfterSeek(decoder, time, index);
        ASSERT_FALSE(shown.isNull());
        EXPECT_GT(test::psnr(shown, reference[index].convertToFormat(QImage::Format_RGB32)), 35);
    }
}

// The same recording starts with its pictures in each container, its sound
// with them: MPEG-TS and Matroska keep the sound's first frame (its
// encoder's priming, which an MP4's edit list hides) before the pictures,
// which once started a frame late. Matroska counts in milliseconds.
TEST_F(MovieDecoderTest, ItsSoundIsTheFilesFromTheStartToTheEnd) {
    for (const auto& [container, stampStep] :
         {std::pair{"mp4", 1.0 / 48000}, std::pair{"mpegts", 1.0 / 48000}, std::pair{"matroska", 1e-3}}) {
        SCOPED_TRACE(container);
        ASSERT_NO_FATAL_FAILURE(test::makeVideo(movie, {.duration = 2.0, .size = size, .audio = {test::systemTone},
                                                        .container = QLatin1String(container)}));
        MovieDecoder decoder(movie, {});
        const std::optional<MovieFrame> first = decoder.nextPicture();
        ASSERT_TRUE(first.has_value());
        EXPECT_NEAR(first->time, 0, stampStep);
        std::vector<float> left;
        double expected = 0;
        while (const std::optional<MovieSound> sound = decoder.nextSound()) {
            EXPECT_NEAR(sound->time, expected, stampStep) << "each piece follows the last";
            for (size_t at = 0; at < sound->samples.size(); at += 2) left.push_back(sound->samples[at]);
            expected = sound->time + double(sound->samples.size() / 2) / 48000;
        }
        EXPECT_NEAR(double(left.size()) / 48000, 2.0, 0.03);
        EXPECT_GT(test::toneAmplitude(left, 48000, test::systemTone.frequency), 0.05);
    }
}

// All of the sound is read before the pictures, as far ahead of them as it
// gets, without holding the pictures' bytes meanwhile.
TEST_F(MovieDecoderTest, ItsSoundIsReadHoweverFarFromItsPicturesInBoundedMemory) {
    const QString heavy = dir.file(QStringLiteral("raw.mov"));
    ASSERT_NO_FATAL_FAILURE(test::makeHeavyVideo(heavy, 4.0));
    double soundEnd = 0;
    int pictures = 0;
    const auto readAll = [&] {
        MovieDecoder decoder(heavy, {});
        while (const std::optional<MovieSound> sound = decoder.nextSound())
            soundEnd = sound->time + double(sound->samples.size() / 2) / 48000;
        while (decoder.nextPicture()) ++pictures;
    };
    // Measured first, while the heap holds nothing of an earlier read.
    const long long growth = test::peakMemoryGrowth(readAll);
    readAll();
    EXPECT_NEAR(soundEnd, 4.0, 0.05);
    EXPECT_EQ(pictures, 100);
    if (!test::tightMemoryBudgets) return;
    EXPECT_GE(growth, 0) << "the reading failed";
    EXPECT_LT(growth, 32LL << 20) << "a second of pictures is 46 MB";
}

// Made smaller or larger, and turned, a picture keeps its quarters in
// their colours (converted with the matrix its stream is tagged with).
TEST_F(MovieDecoderTest, PicturesFitTheirBoundsUprightInTheirColours) {
    EXPECT_EQ(fittedSize(QSize(1920, 1080), QSize(900, 600)), QSize(900, 506));
    EXPECT_EQ(fittedSize(QSize(1080, 1920), QSize(900, 600)), QSize(337, 600));
    EXPECT_EQ(fittedSize(QSize(320, 240), QSize(960, 960)), QSize(960, 720)) << "small videos fill the space too";
    EXPECT_EQ(fittedSize(QSize(320, 240), QSize()), QSize(320, 240));

    QImage still(size, QImage::Format_RGB32);
    QPainter painter(&still);
    for (int quarter = 0; quarter < 4; ++quarter)
        painter.fillRect(quarter % 2 * 160, quarter / 2 * 120, 160, 120, test::quarterColours[quarter]);
    for (const auto& [turn, shown] : {std::pair(0, QSize(640, 480)), std::pair(90, QSize(120, 160))}) {
        SCOPED_TRACE(turn);
        ASSERT_NO_FATAL_FAILURE(
            test::makeVideo(movie, {.duration = 0.2, .size = size, .quarters = true, .rotation = turn}));
        MovieDecoder decoder(movie, {});
        EXPECT_EQ(decoder.size(), turn ? size.transposed() : size);
        const std::optional<MovieFrame> first = decoder.nextPicture();
        ASSERT_TRUE(first);
        const QImage picture = uprightPicture(*first->frame, decoder.turn(), shown);
        ASSERT_EQ(picture.size(), shown);
        EXPECT_TRUE(test::sameColours(test::quartersOf(picture),
                                      test::quartersOf(still.transformed(QTransform().rotate(-turn)))));
    }
}

// Each is refused when opened, or has no picture to show; a FIFO is
// refused without waiting for a writer.
TEST_F(MovieDecoderTest, FilesWithoutAPictureToPlayAreRefused) {
    const QStringList unreadable = test::makeUnreadableVideos(dir.path());
    for (const QString& path : unreadable + QStringList{dir.file(QStringLiteral("没有.mp4")), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        try {
            MovieDecoder decoder(path, {});
            EXPECT_FALSE(decoder.nextPicture().has_value());
        } catch (const MediaError&) {
        }
    }
    const test::Fifo fifo(dir.file(QStringLiteral("管道.mp4")));
    std::future<bool> refused = std::async(std::launch::async, [&] {
        try {
            MovieDecoder decoder(fifo.path(), {});
            return false;
        } catch (const MediaError&) {
            return true;
        }
    });
    ASSERT_EQ(refused.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "waits for a writer";
    EXPECT_TRUE(refused.get());
}

// Two seconds of testsrc2 at 30 pictures a second with two B-pictures,
// which nothing is predicted from, between each pair of P-pictures.
void makeWithBPictures(const QString& path) {
    test::runFfmpeg(QStringList{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30:duration=2", "-c:v", "libx264",
                                "-pix_fmt", "yuv420p", "-bf", "2", "-b_strategy", "0", "-x264-params",
                                "b-pyramid=none", path});
}

// Seconds of the pictures of `kind` ("I", "P", "B"), in showing order.
QList<double> timesOf(const QString& path, const QString& kind) {
    QList<double> times;
    const QString frames = test::ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                                          QStringLiteral("-show_entries"), QStringLiteral("frame=pts_time,pict_type"),
                                          QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                                         path);
    for (const QString& line : frames.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() >= 2 && fields[1].trimmed() == kind) times << fields[0].toDouble();
    }
    return times;
}

// A player behind its clock has the B-pictures skipped: the others still
// come, in order; a seek lands on its picture again, a B-picture too, and
// every picture after it comes.
TEST_F(MovieDecoderTest, PicturesNothingIsPredictedFromAreSkippedWhileAskedUntilASeek) {
    ASSERT_NO_FATAL_FAILURE(makeWithBPictures(movie));
    const QList<double> predicted = timesOf(movie, QStringLiteral("B"));
    QList<double> referenced = timesOf(movie, QStringLiteral("I")) + timesOf(movie, QStringLiteral("P"));
    std::sort(referenced.begin(), referenced.end());
    ASSERT_GT(predicted.size(), 20);
    ASSERT_EQ(referenced.size() + predicted.size(), 60);

    MovieDecoder decoder(movie, {});
    decoder.skipUnreferencedPictures(true);
    QList<double> decoded;
    while (const std::optional<MovieFrame> picture = decoder.nextPicture()) decoded << picture->time;
    ASSERT_EQ(decoded.size(), referenced.size());
    for (qsizetype i = 0; i < decoded.size(); ++i) EXPECT_NEAR(decoded[i], referenced[i], 1e-6) << "picture " << i;

    decoder.skipUnreferencedPictures(true);
    const double wanted = predicted[predicted.size() / 2];
    decoder.seek(wanted);
    int after = 0;
    std::optional<MovieFrame> first = decoder.nextPicture();
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->time, wanted, 1e-6);
    while (decoder.nextPicture()) ++after;
    EXPECT_EQ(after, int(std::lround((2.0 - wanted) * 30)) - 1);
}

}  // namespace
