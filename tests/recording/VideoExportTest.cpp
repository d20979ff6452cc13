#include "platform/files/FileNames.h"
#include "platform/media/GifWriter.h"
#include "platform/media/MovieDecoder.h"
#include "platform/threads/MainThread.h"
#include "recording/JoinSteps.h"
#include "recording/RecordingMessages.h"
#include "recording/VideoExport.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PictureCodings.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

using namespace tavero;

namespace {

// What a GIF file's blocks say: its size, its loop count (none without the
// looping extension; 0 loops for ever) and each picture's delay in
// hundredths of a second.
struct GifBlocks {
    QSize size;
    std::optional<int> loops;
    QList<int> delays;
};

int le16(const QByteArray& bytes, qsizetype at) {
    return quint8(bytes.at(at)) | (quint8(bytes.at(at + 1)) << 8);
}

// Skips data sub-blocks up to and past their terminator; hands each to `seen`.
qsizetype skipSubBlocks(const QByteArray& bytes, qsizetype at,
                        const std::function<void(const QByteArray&)>& seen = {}) {
    while (at < bytes.size() && bytes.at(at) != 0) {
        const int length = quint8(bytes.at(at));
        if (seen) seen(bytes.mid(at + 1, length));
        at += 1 + length;
    }
    return at + 1;
}

qsizetype afterColourTable(quint8 flags, qsizetype at) { return flags & 0x80 ? at + 3 * (2 << (flags & 7)) : at; }

GifBlocks readGif(const QByteArray& bytes) {
    GifBlocks gif;
    if (!bytes.startsWith("GIF89a") || bytes.size() < 13) return gif;
    gif.size = QSize(le16(bytes, 6), le16(bytes, 8));
    qsizetype at = afterColourTable(quint8(bytes.at(10)), 13);
    int delay = -1;
    while (at < bytes.size()) {
        const quint8 block = quint8(bytes.at(at));
        if (block == 0x3B) break;
        if (block == 0x2C) {
            at = afterColourTable(quint8(bytes.at(at + 9)), at + 10);
            at = skipSubBlocks(bytes, at + 1);
            gif.delays.append(delay);
            delay = -1;
        } else if (block == 0x21 && quint8(bytes.at(at + 1)) == 0xF9) {
            delay = le16(bytes, at + 4);
            at = skipSubBlocks(bytes, at + 2);
        } else if (block == 0x21 && quint8(bytes.at(at + 1)) == 0xFF) {
            const bool looping = bytes.mid(at + 3, 11) == "NETSCAPE2.0";
            at = skipSubBlocks(bytes, at + 14, [&](const QByteArray& data) {
                if (looping && data.size() == 3 && data.at(0) == 1) gif.loops = le16(data, 1);
            });
        } else if (block == 0x21) {
            at = skipSubBlocks(bytes, at + 2);
        } else {
            ADD_FAILURE() << "unknown GIF block " << int(block) << " at " << at;
            break;
        }
    }
    return gif;
}

double meanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return std::numeric_limits<double>::infinity();
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int x = 0; x < a.width() * 3; ++x) sum += std::abs(int(p[x]) - int(q[x]));
    }
    return sum / (a.width() * a.height() * 3.0);
}

// `picture` is the source's picture `index` rather than either neighbour.
testing::AssertionResult showsPicture(const QImage& picture, const QList<QImage>& source, qsizetype index) {
    const double own = meanDifference(picture, source.at(index));
    for (const qsizetype other : {index - 1, index + 1}) {
        if (other < 0 || other >= source.size()) continue;
        const double neighbour = meanDifference(picture, source.at(other));
        if (neighbour <= own)
            return testing::AssertionFailure() << "closer to picture " << other << " (" << neighbour << ") than to "
                                               << index << " (" << own << ")";
    }
    return testing::AssertionSuccess();
}

// The picture the player shows at `seconds` into `path`, at `size`.
QImage shownByPlayer(const QString& path, double seconds, QSize size) {
    media::MovieDecoder player(path, {});
    player.seek(seconds);
    const std::optional<media::MovieFrame> shown = player.nextPicture();
    return shown ? media::uprightPicture(*shown->frame, player.turn(), size) : QImage(size, QImage::Format_RGB32);
}

// Seconds of the first video stream, as ffprobe reads them.
double videoLength(const QString& path) {
    return test::ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                          QStringLiteral("stream=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                         path)
        .trimmed()
        .toDouble();
}

class VideoExportTest : public testing::Test {
protected:
    // Runs an export and waits for its one answer, which must come later on
    // the main thread. An answer later than the wait goes nowhere.
    Result<QString> answerOf(const std::function<void(VideoExport::Completion)>& run) {
        const auto answers = std::make_shared<std::vector<Result<QString>>>();
        run([answers](Result<QString> result) {
            EXPECT_TRUE(isMainThread());
            answers->push_back(std::move(result));
        });
        EXPECT_TRUE(answers->empty()) << "the call returns before it answers";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !answers->empty(); }, 60000));
        QTest::qWait(10);
        EXPECT_EQ(answers->size(), 1u);
        return answers->empty() ? Result<QString>(ShotError(QStringLiteral("no answer"))) : answers->front();
    }
    Result<QString> gif(const QString& source, const QString& destination) {
        return answerOf([&](VideoExport::Completion done) { VideoExport::gif(source, destination, std::move(done)); });
    }
    Result<QString> trim(const QString& source, double start, double end, const QString& destination) {
        return answerOf(
            [&](VideoExport::Completion done) { VideoExport::trim(source, start, end, destination, std::move(done)); });
    }
    // What the look at an opened video says: nothing, or why it shows nothing.
    QString checkOf(const QString& source) {
        return errorOf(answerOf([&](VideoExport::Completion done) {
            VideoExport::checkPictures(source, [done](Result<Done> readable) {
                done(readable ? Result<QString>(QString()) : Result<QString>(readable.error()));
            });
        }));
    }
    static QString errorOf(const Result<QString>& result) { return result ? QString() : result.error().message(); }

    // Everything in the folder, hidden files included.
    QStringList filesHere() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    test::TempDir folder;
};

TEST_F(VideoExportTest, AGifOfThirtySecondsHas240LoopingFramesEachShowingTheVideoAtItsEighthOfASecond) {
    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 30.0}));
    const QString destination = folder.file(QStringLiteral("a.gif"));
    const Result<QString> result = gif(source, destination);
    ASSERT_TRUE(result) << errorOf(result).toStdString();
    EXPECT_EQ(result.value(), destination);
    EXPECT_EQ(filesHere(), (QStringList{QStringLiteral("a.gif"), QStringLiteral("a.mp4")}));

    const GifBlocks blocks = readGif(test::readFile(destination));
    EXPECT_EQ(blocks.size, QSize(320, 240)) << "a small video keeps its size";
    EXPECT_EQ(blocks.loops, 0) << "loops for ever";
    ASSERT_EQ(blocks.delays.size(), 240);
    // Each picture starts at its eighth of a second, rounded to the hundredth.
    int shownFrom = 0;
    for (qsizetype i = 0; i < blocks.delays.size(); ++i) {
        EXPECT_EQ(shownFrom, std::lround(i * 12.5)) << "frame " << i;
        EXPECT_TRUE(blocks.delays[i] == 12 || blocks.delays[i] == 13) << "frame " << i << ": " << blocks.delays[i];
        shownFrom += blocks.delays[i];
    }

    const QList<QImage> frames = test::decodePictures(destination, std::nullopt, 300);
    const QList<QImage> video = test::decodePictures(source);
    ASSERT_EQ(frames.size(), 240);
    ASSERT_EQ(video.size(), 900);
    for (qsizetype i = 0; i < frames.size(); ++i) {
        // The last picture of the 30-a-second video that starts by i / 8 s.
        const qsizetype shown = i * 30 / 8;
        ASSERT_TRUE(showsPicture(frames[i], video, shown)) << "frame " << i;
    }
}

TEST_F(VideoExportTest, AGifIsScaledDownToFitAndOfAnyLengthUpToThirtySecondsButNoLonger) {
    const QString wide = folder.file(QStringLiteral("wide.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(wide, {.duration = 0.5, .size = QSize(1920, 1080)}));
    const Result<QString> scaled = gif(wide, folder.file(QStringLiteral("wide.gif")));
    ASSERT_TRUE(scaled) << errorOf(scaled).toStdString();
    EXPECT_EQ(readGif(test::readFile(scaled.value())).size, QSize(960, 540));
    const QString tall = folder.file(QStringLiteral("tall.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(tall, {.duration = 0.5, .size = QSize(1000, 2000)}));
    const Result<QString> narrow = gif(tall, folder.file(QStringLiteral("tall.gif")));
    ASSERT_TRUE(narrow) << errorOf(narrow).toStdString();
    EXPECT_EQ(readGif(test::readFile(narrow.value())).size, QSize(480, 960));

    const QString odd = folder.file(QStringLiteral("odd.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(odd, {.duration = 10.06, .size = QSize(64, 48), .rate = 50}));
    const Result<QString> whole = gif(odd, folder.file(QStringLiteral("odd.gif")));
    ASSERT_TRUE(whole) << errorOf(whole).toStdString();
    EXPECT_EQ(readGif(test::readFile(whole.value())).delays.size(), 80) << "80.48 eighths: the whole ones";

    const QString instant = folder.file(QStringLiteral("instant.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(instant, {.duration = 0.1, .size = QSize(64, 48)}));
    const Result<QString> one = gif(instant, folder.file(QStringLiteral("instant.gif")));
    ASSERT_TRUE(one) << errorOf(one).toStdString();
    EXPECT_EQ(readGif(test::readFile(one.value())).delays.size(), 1);

    const QString tooLong = folder.file(QStringLiteral("long.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(tooLong, {.duration = 30.01, .size = QSize(64, 48), .rate = 100}));
    EXPECT_EQ(errorOf(gif(tooLong, folder.file(QStringLiteral("long.gif")))), RecordingMessages::gifTooLong());
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("long.gif"))));
    EXPECT_EQ(filesHere().filter(QStringLiteral("partial")), QStringList()) << "no temporary file stays";
}

TEST_F(VideoExportTest, AFailedGifLeavesNoFileAndTakesNoExistingName) {
    const QString garbage = folder.file(QStringLiteral("garbage.mp4"));
    test::writeFile(garbage, "not a video");
    EXPECT_EQ(errorOf(gif(garbage, folder.file(QStringLiteral("g.gif")))), RecordingMessages::videoUnreadable());
    EXPECT_EQ(errorOf(gif(folder.file(QStringLiteral("missing.mp4")), folder.file(QStringLiteral("m.gif")))),
              RecordingMessages::videoUnreadable());

    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 1.0, .size = QSize(64, 48)}));
    const QString taken = folder.file(QStringLiteral("taken.gif"));
    test::writeFile(taken, "someone else's");
    EXPECT_EQ(errorOf(gif(source, taken)), JoinSteps::destinationTaken());
    EXPECT_EQ(test::readFile(taken), "someone else's");
    EXPECT_EQ(errorOf(gif(source, folder.file(QStringLiteral("no/such/folder/a.gif")))),
              RecordingMessages::gifNotCreated());
    const media::ScopedGifPictureLoss lost;
    EXPECT_EQ(errorOf(gif(source, folder.file(QStringLiteral("lost.gif")))),
              QStringLiteral("导出的 GIF 为 64 × 48 像素、7 帧，与应有的 64 × 48 像素、8 帧不符，未保存。"));
    EXPECT_EQ(filesHere(), (QStringList{QStringLiteral("a.mp4"), QStringLiteral("garbage.mp4"),
                                        QStringLiteral("taken.gif")}));
}

TEST_F(VideoExportTest, ATrimEndingJustPastTheVideoEndsWithItAndStartsWithThePictureAtItsStart) {
    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 10.0, .audio = {test::systemTone}}));
    const QString destination = folder.file(QStringLiteral("cut.mp4"));
    const Result<QString> result = trim(source, 2, 10.05, destination);
    ASSERT_TRUE(result) << errorOf(result).toStdString();
    EXPECT_EQ(result.value(), destination);
    EXPECT_EQ(filesHere(), (QStringList{QStringLiteral("a.mp4"), QStringLiteral("cut.mp4")}));

    EXPECT_NEAR(videoLength(destination), 8.0, 1.0 / 30);
    const QList<double> times = test::pictureTimes(destination);
    ASSERT_EQ(times.size(), 240);
    EXPECT_DOUBLE_EQ(times.front(), 0.0);

    const QList<QImage> video = test::decodePictures(source);
    const QList<QImage> cut = test::decodePictures(destination);
    ASSERT_EQ(video.size(), 300);
    ASSERT_EQ(cut.size(), 240);
    EXPECT_TRUE(showsPicture(cut.front(), video, 60)) << "the picture at 2 s comes first";
    EXPECT_TRUE(showsPicture(cut.back(), video, 299));

    EXPECT_EQ(test::soundTrackTags(destination), QStringList{test::systemTone.tag});
    const std::vector<float> sound = test::decodeSound(destination);
    EXPECT_NEAR(double(sound.size()) / 48000, 8.0, 0.05) << "the sound is cut to the same stretch";
}

TEST_F(VideoExportTest, APhoneVideoTrimmedKeepsItsTurnAndItsGifIsUpright) {
    // Tagged 90: players show the coded pictures a quarter turned anticlockwise.
    const QString source = folder.file(QStringLiteral("phone.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 2.0, .quarters = true, .rotation = 90}));
    ASSERT_EQ(test::displayRotation(source).toStdString(), "90");
    const QList<QColor>& coded = test::quarterColours;
    const QList<QColor> upright{coded[1], coded[3], coded[0], coded[2]};

    const Result<QString> cut = trim(source, 0.5, 1.5, folder.file(QStringLiteral("cut.mp4")));
    ASSERT_TRUE(cut) << errorOf(cut).toStdString();
    EXPECT_EQ(test::displayRotation(cut.value()).toStdString(), "90") << "the trim plays turned alike";
    const QList<QImage> played = test::decodePictures(cut.value(), std::nullopt, 1);
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played.front().size(), QSize(240, 320));
    EXPECT_TRUE(test::sameColours(test::quartersOf(played.front()), upright));

    const Result<QString> gif = this->gif(source, folder.file(QStringLiteral("phone.gif")));
    ASSERT_TRUE(gif) << errorOf(gif).toStdString();
    EXPECT_EQ(readGif(test::readFile(gif.value())).size, QSize(240, 320));
    const QList<QImage> frames = test::decodePictures(gif.value(), std::nullopt, 1);
    ASSERT_EQ(frames.size(), 1);
    EXPECT_TRUE(test::sameColours(test::quartersOf(frames.front()), upright)) << "the GIF's pictures stand upright";
}

TEST_F(VideoExportTest, ATrimStartingBetweenPicturesStartsWithThePictureShowingThen) {
    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 3.0}));
    // Keyframes come every second: the stretch starts half-way between two.
    const Result<QString> result = trim(source, 1.51, 2.5, folder.file(QStringLiteral("cut.mp4")));
    ASSERT_TRUE(result) << errorOf(result).toStdString();
    const QList<QImage> video = test::decodePictures(source);
    const QList<QImage> cut = test::decodePictures(result.value());
    ASSERT_FALSE(cut.isEmpty());
    EXPECT_TRUE(showsPicture(cut.front(), video, 45)) << "the picture of 1.5 s still shows at 1.51 s";
    const QList<double> times = test::pictureTimes(result.value());
    ASSERT_GE(times.size(), 2);
    EXPECT_NEAR(times[1], 46.0 / 30 - 1.51, 0.002) << "the next picture keeps its own time";
}

TEST_F(VideoExportTest, EveryRefusedTrimSaysWhyAndLeavesNoFile) {
    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 10.0, .size = QSize(64, 48)}));
    const QString destination = folder.file(QStringLiteral("cut.mp4"));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<double, double>> refused{{2, 10.2}, {5, 5}, {-1, 3}, {6, 4}, {10.0, 10.05},
                                                        {10.02, 10.08}, {nan, 3}, {1, nan}};
    for (const auto& [start, end] : refused) {
        EXPECT_EQ(errorOf(trim(source, start, end, destination)), RecordingMessages::trimRangeInvalid())
            << start << " to " << end;
    }
    EXPECT_EQ(errorOf(trim(folder.file(QStringLiteral("missing.mp4")), 0, 1, destination)),
              RecordingMessages::trimImpossible());
    const QString garbage = folder.file(QStringLiteral("garbage.mp4"));
    test::writeFile(garbage, "not a video");
    EXPECT_EQ(errorOf(trim(garbage, 0, 1, destination)), RecordingMessages::trimImpossible());
    const QString taken = folder.file(QStringLiteral("taken.mp4"));
    test::writeFile(taken, "someone else's");
    EXPECT_EQ(errorOf(trim(source, 0, 1, taken)), JoinSteps::destinationTaken());
    EXPECT_EQ(test::readFile(taken), "someone else's");
    // Timed in whole seconds, a trim cannot end 0.6 s in; pictures that grow
    // midway are not of the size the trim is coded at.
    const QString seconds = folder.file(QStringLiteral("seconds.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeSparseVideo(seconds, 2));
    EXPECT_EQ(errorOf(trim(seconds, 0.2, 0.8, destination)),
              QStringLiteral("裁剪后的视频长 1.00 秒，与所选的 0.60 秒不符，未保存。"));
    const QString growing = folder.file(QStringLiteral("growing.ts"));
    const QString h264 = QStringLiteral("libx264");
    ASSERT_NO_FATAL_FAILURE(test::makeSwitchingStream(growing, h264, h264, 2, QSize(640, 480)));
    EXPECT_EQ(errorOf(trim(growing, 2.5, 3.5, destination)),
              QStringLiteral("裁剪后的视频画面为 320 × 240 像素，与原视频的 640 × 480 像素不符，未保存。"));
    EXPECT_EQ(filesHere(), (QStringList{QStringLiteral("a.mp4"), QStringLiteral("garbage.mp4"),
                                        QStringLiteral("growing.ts"), QStringLiteral("seconds.mp4"),
                                        QStringLiteral("taken.mp4")}));
}

TEST_F(VideoExportTest, AVideoNamedInBytesThatAreNotUtf8IsExportedAndTrimmed) {
    const QString made = folder.file(QStringLiteral("made.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(made, {.duration = 1.0, .size = QSize(64, 48)}));
    const test::NativeNamedCopy source(made, folder.path(), QByteArray("\xff\xfe 录屏.mp4"));
    EXPECT_EQ(checkOf(source.path()), QString());
    const Result<QString> gifMade = gif(source.path(), folder.file(QStringLiteral("a.gif")));
    EXPECT_TRUE(gifMade) << errorOf(gifMade).toStdString();

    // Written under such a name too, then renamed for the tools (and Qt's
    // clean-up) to find.
    const QString cut = folder.file(fileNameFromNative("\xfe 片段.mp4"));
    const Result<QString> trimmed = trim(source.path(), 0.2, 0.8, cut);
    ASSERT_TRUE(trimmed) << errorOf(trimmed).toStdString();
    const QString readable = folder.file(QStringLiteral("readable.mp4"));
    ASSERT_EQ(::rename(nativeFileName(cut).constData(), nativeFileName(readable).constData()), 0);
    EXPECT_EQ(test::pictureTimes(readable).size(), 18);
}

// A FIFO under a video's name once kept the export waiting for a writer
// that never came, and the model busy with it.
TEST_F(VideoExportTest, AFifoNamedLikeAVideoIsRefusedAtOnce) {
    const test::Fifo fifo(folder.file(QStringLiteral("x.mp4")));
    EXPECT_EQ(checkOf(fifo.path()), RecordingMessages::videoUnreadable());
    EXPECT_EQ(errorOf(gif(fifo.path(), folder.file(QStringLiteral("x.gif")))), RecordingMessages::videoUnreadable());
    EXPECT_EQ(errorOf(trim(fifo.path(), 0, 1, folder.file(QStringLiteral("x-cut.mp4")))),
              RecordingMessages::trimImpossible());
    EXPECT_EQ(filesHere(), QStringList()) << "nothing made";
}

// Opened or made a GIF, a video without a picture to read says so alike.
TEST_F(VideoExportTest, EveryVideoWithoutAPictureToReadSaysSoOpenedOrMadeAGif) {
    const QStringList unreadable = test::makeUnreadableVideos(folder.path());
    ASSERT_FALSE(testing::Test::HasFailure());
    for (const QString& video : unreadable) {
        EXPECT_EQ(checkOf(video), RecordingMessages::videoUnreadable()) << video.toStdString();
        EXPECT_EQ(errorOf(gif(video, folder.file(QStringLiteral("made.gif")))), RecordingMessages::videoUnreadable())
            << video.toStdString();
    }
    EXPECT_EQ(filesHere().filter(QStringLiteral(".gif")), QStringList());

    const QString whole = folder.file(QStringLiteral("whole.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(whole, {.duration = 2.0, .size = QSize(64, 48), .indexFirst = true}));
    EXPECT_EQ(checkOf(whole), QString());
    test::truncateFile(whole, QFileInfo(whole).size() * 2 / 3);
    EXPECT_EQ(checkOf(whole), QString()) << "a video cut short still shows its first pictures";
}

// A video cut short plays up to the cut; its GIF shows what plays, each
// frame the picture of its eighth of a second.
TEST_F(VideoExportTest, AGifOfAVideoCutShortShowsThePicturesBeforeTheCut) {
    const QString whole = folder.file(QStringLiteral("whole.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(whole, {.duration = 4.0, .indexFirst = true}));
    const QString source = folder.file(QStringLiteral("cut.mp4"));
    ASSERT_TRUE(QFile::copy(whole, source));
    test::truncateFile(source, QFileInfo(source).size() * 2 / 3);
    const Result<QString> made = gif(source, folder.file(QStringLiteral("cut.gif")));
    ASSERT_TRUE(made) << errorOf(made).toStdString();

    const QList<QImage> frames = test::decodePictures(made.value(), std::nullopt, 100);
    EXPECT_GE(frames.size(), 8) << "a second at least of the video plays";
    EXPECT_LT(frames.size(), 32) << "nothing past the cut";
    const QList<QImage> video = test::decodePictures(whole);
    ASSERT_EQ(video.size(), 120);
    for (qsizetype i = 0; i < frames.size(); ++i) ASSERT_TRUE(showsPicture(frames[i], video, i * 30 / 8)) << "frame " << i;
}

// The part of a cut video before the cut can be trimmed; a stretch across
// the cut passes the video's end, which the video sets, not the disk.
TEST_F(VideoExportTest, ATrimAcrossTheCutOfAVideoCutShortBlamesTheVideo) {
    const QString source = folder.file(QStringLiteral("cut.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 4.0, .audio = {test::systemTone}, .indexFirst = true}));
    test::truncateFile(source, QFileInfo(source).size() * 2 / 3);
    const Result<QString> before = trim(source, 0, 1, folder.file(QStringLiteral("before.mp4")));
    EXPECT_TRUE(before) << errorOf(before).toStdString();
    EXPECT_EQ(errorOf(trim(source, 0, 4, folder.file(QStringLiteral("across.mp4")))),
              RecordingMessages::trimRangeInvalid());
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("across.mp4"))));
}

// A video cut short lasts as far as it plays, however long its file says it
// is: a trim is measured against that, cut to it and made of it alone.
TEST_F(VideoExportTest, ATrimOfAVideoCutShortKeepsToWhatPlays) {
    const QString source = folder.file(QStringLiteral("cut.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 6.0, .audio = {test::systemTone}, .indexFirst = true}));
    const QList<QImage> video = test::decodePictures(source);
    const QList<qint64> keyframes = test::keyframeOffsets(source);
    ASSERT_EQ(keyframes.size(), 6);
    // Inside the keyframe at 3 s: what plays ends with the keyframe before it.
    test::truncateFile(source, keyframes[3] + 100);
    const double plays = 2.0;

    for (const auto& [start, end] : std::vector<std::pair<double, double>>{{1, 3}, {1.5, plays + 0.2}, {plays, 2.05}}) {
        EXPECT_EQ(errorOf(trim(source, start, end, folder.file(QStringLiteral("refused.mp4")))),
                  RecordingMessages::trimRangeInvalid())
            << start << " to " << end;
    }

    const Result<QString> within = trim(source, 0.5, 1.5, folder.file(QStringLiteral("within.mp4")));
    ASSERT_TRUE(within) << errorOf(within).toStdString();
    EXPECT_NEAR(videoLength(within.value()), 1.0, 1.0 / 30);
    EXPECT_EQ(test::pictureTimes(within.value()).size(), 30);
    EXPECT_TRUE(showsPicture(test::decodePictures(within.value(), std::nullopt, 1).value(0), video, 15));
    EXPECT_NEAR(double(test::decodeSound(within.value()).size()) / 48000, 1.0, 0.05);

    const Result<QString> toTheCut = trim(source, 1.5, plays + 0.05, folder.file(QStringLiteral("end.mp4")));
    ASSERT_TRUE(toTheCut) << errorOf(toTheCut).toStdString();
    const QList<double> times = test::pictureTimes(toTheCut.value());
    ASSERT_FALSE(times.isEmpty());
    EXPECT_LT(times.back(), plays - 1.5) << "no picture from past what plays";
    const QList<QImage> cut = test::decodePictures(toTheCut.value());
    ASSERT_FALSE(cut.isEmpty());
    EXPECT_TRUE(showsPicture(cut.back(), video, 59));
    EXPECT_NEAR(videoLength(toTheCut.value()), plays - 1.5, 1.0 / 30) << "cut to what plays";
}

// A disk that refuses the trim: a folder nobody may write, root included,
// is named; a full disk is said to be full, and a disk that fails
// otherwise (a file larger than it takes) is not.
TEST_F(VideoExportTest, ATrimTheDiskRefusesSaysWhy) {
    const QString source = folder.file(QStringLiteral("a.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 2.0, .audio = {test::systemTone}}));
    {
        const test::FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(errorOf(trim(source, 0, 2, folder.file(QStringLiteral("large.mp4")))),
                  QStringLiteral("裁剪后的视频写入磁盘时出错。"));
    }
    test::SmallDisk full(64 * 1024, folder.file(QStringLiteral("满")));
    if (!full.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("mounting a small file system needs root");
    EXPECT_EQ(errorOf(trim(source, 0, 2, full.path() + QStringLiteral("/cut.mp4"))),
              QStringLiteral("裁剪后的视频未能写入，请确认磁盘空间充足。"));
    EXPECT_EQ(QDir(full.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    test::SmallDisk disk(1024 * 1024, folder.file(QStringLiteral("岚帧")));
    if (!disk.makeReadOnly()) TAVERO_SKIP_UNLESS_REQUIRED("mounting a read-only file system needs root");
    EXPECT_EQ(errorOf(trim(source, 0, 1, disk.path() + QStringLiteral("/cut.mp4"))),
              QStringLiteral("裁剪后的视频无法保存：文件夹“岚帧”不能写入。"));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// Players and converters write Matroska and MPEG-TS under the names of MP4
// files, a live writer leaves a Matroska file's length out, and cameras
// record PCM sound, at 768 kHz in studios: each is looked at, made a GIF of
// and trimmed from 2 s to 4 s as an MP4 is, its sound kept (PCM coded again
// as AAC). A video of a container no video is opened from is told so,
// whatever is asked of it.
TEST_F(VideoExportTest, EveryContainerNamedLikeAnMp4IsExportedOrToldUnsupported) {
    const auto made = [](const char* container, bool live = false, const char* sound = "aac", int rate = 48000) {
        return test::VideoFixture{.duration = 5.0, .audio = {test::systemTone}, .sampleRate = rate,
                                  .soundCodec = QLatin1String(sound), .container = QLatin1String(container),
                                  .live = live};
    };
    const QString plain = folder.file(QStringLiteral("plain.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(plain, made("mp4")));
    const QList<QImage> video = test::decodePictures(plain);
    ASSERT_EQ(video.size(), 150);
    const std::vector<std::pair<const char*, test::VideoFixture>> variants{
        {"matroska", made("matroska")},
        {"mpegts", made("mpegts")},
        {"live-matroska", made("matroska", true)},
        {"live-matroska-pcm", made("matroska", true, "pcm_s16le", 44100)},
        {"quicktime-pcm", made("mov", false, "pcm_s16le")},
        {"quicktime-pcm-768k", made("mov", false, "pcm_s24le", 768000)},
        {"matroska-pcm-768k", made("matroska", false, "pcm_s24le", 768000)}};
    for (const auto& [name, variant] : variants) {
        SCOPED_TRACE(name);
        const QString source = folder.file(QStringLiteral("%1.mp4").arg(QLatin1String(name)));
        ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, variant));
        EXPECT_EQ(checkOf(source), QString());
        const Result<QString> made = gif(source, folder.file(QStringLiteral("%1.gif").arg(QLatin1String(name))));
        ASSERT_TRUE(made) << errorOf(made).toStdString();
        EXPECT_EQ(test::decodePictures(made.value()).size(), 40);
        const Result<QString> cut = trim(source, 2, 4, folder.file(QStringLiteral("%1-片段.mp4").arg(QLatin1String(name))));
        ASSERT_TRUE(cut) << errorOf(cut).toStdString();
        EXPECT_NEAR(videoLength(cut.value()), 2.0, 1.0 / 30);
        const QList<QImage> pictures = test::decodePictures(cut.value());
        ASSERT_EQ(pictures.size(), 60);
        EXPECT_TRUE(showsPicture(pictures.front(), video, 60)) << "the picture at 2 s comes first";
        EXPECT_NEAR(double(test::decodeSound(cut.value()).size()) / 48000, 2.0, 0.05);
    }
    const QString flash = folder.file(QStringLiteral("flv.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(flash, {.duration = 1.0, .container = QStringLiteral("flv")}));
    EXPECT_EQ(checkOf(flash), RecordingMessages::containerNotSupported());
    EXPECT_EQ(errorOf(gif(flash, folder.file(QStringLiteral("flv.gif")))), RecordingMessages::containerNotSupported());
    EXPECT_EQ(errorOf(trim(flash, 0, 0.5, folder.file(QStringLiteral("flv-片段.mp4")))),
              RecordingMessages::containerNotSupported());
}

// A browser's recorder gives a still canvas no pictures: its recording goes
// on after a pause of over a minute, which once ended it for the trim
// (refused past the pause) and the GIF (10 s of a 90 s video).
TEST_F(VideoExportTest, ALiveRecordingGoesOnAfterAPauseOfItsPictures) {
    const QString source = folder.file(QStringLiteral("canvas.webm"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 90, .size = QSize(160, 120),
                                                     .container = QStringLiteral("matroska"), .live = true,
                                                     .pause = {{10, 80}}}));
    EXPECT_EQ(errorOf(gif(source, folder.file(QStringLiteral("canvas.gif")))),
              QStringLiteral("GIF 导出支持 30 秒以内的视频；较长视频请先裁剪。"));
    const Result<QString> cut = trim(source, 80, 85, folder.file(QStringLiteral("canvas-片段.mp4")));
    ASSERT_TRUE(cut) << errorOf(cut).toStdString();
    const QList<QImage> pictures = test::decodePictures(cut.value());
    ASSERT_EQ(pictures.size(), 150);
    EXPECT_TRUE(showsPicture(pictures.back(), test::decodePictures(source), 448)) << "the picture at 85 s comes last";
}

// MPEG-TS as cameras, converters and recordings joined late write it, MP4
// as live writers fragment it, and one whose last pictures do not decode:
// what plays makes a GIF as long as it plays and trims into pictures of its
// size that last the stretch, each picture at its time. A trim of the late
// one was saved at 2 × 2. The GIF and the trim are cut from the player's time
// line: the frame of a GIF at a time and the first picture of a trim from it
// are what the player shows then, and the GIF lasts as long as the player
// plays. A recording joined late shows its first picture over its sound
// before it (whose trim once came out 2 × 2 or was refused), and its trims and
// GIF once counted from its first picture, 6 s later than the player. The
// fragmented MP4's B-frames start its pictures 0.08 s after its sound (no edit
// list hides it): its trims and player once lost the two pictures before a
// keyframe. A GIF of the damaged one was once refused. A trim after random
// bytes in the middle of an MPEG-TS (as a failing disk leaves them) once read
// them forty times over, where the command line reads them five times.
TEST_F(VideoExportTest, EveryVideoThatPlaysMakesAGifAndTrimsAtItsSize) {
    // A trim and the pictures it holds; reading the source no more than
    // this many times over, where given.
    struct Stretch {
        double from, to;
        int pictures;
        double readsAtMost = 0;
    };
    struct Row {
        const char* name;
        std::function<void(const QString&)> make;
        int gifFrames;
        QSize size;
        std::vector<Stretch> stretches;
    };
    const auto coded = [](const test::VideoFixture& video) {
        return [video](const QString& path) { test::makeVideo(path, video); };
    };
    const auto switching = [](const char* first, const char* second) {
        return [=](const QString& path) {
            test::makeSwitchingStream(path, QLatin1String(first), QLatin1String(second), 3);
        };
    };
    const auto late = [](const QString& path) { test::makeLatePicturesStream(path, 6, 10, true); };
    const auto withoutTables = [](const test::VideoFixture& video) {
        return [video](const QString& path) {
            test::makeVideo(path, video);
            test::leaveOutTransportTables(path);
        };
    };
    const auto byCommandLine = [](const QString& arguments) {
        return [=](const QString& path) { test::runFfmpeg(arguments.split(' ') + QStringList{path}); };
    };
    // Its sound goes on after its last picture, which shows meanwhile; its
    // length is its last sound packet's time, 3.84 s (a packet holds several
    // frames of sound).
    const auto soundLonger = byCommandLine(
        QStringLiteral("-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -f lavfi "
                       "-i sine=frequency=440:sample_rate=48000:duration=4 -c:v libx264 -c:a aac -f mpegts"));
    // Keyframes at 0.08 s and 4.08 s, decoded at 0 s and 4 s.
    const auto fragmented = byCommandLine(
        QStringLiteral("-f lavfi -i testsrc2=s=320x240:r=25 -f lavfi -i sine=f=440:r=48000 -t 6 -c:v libx264 -g 100 "
                       "-c:a aac -movflags frag_keyframe+empty_moov -f mp4"));
    // Every picture a keyframe, those of its last second zeroed: none of
    // them decodes, though its index is whole.
    const auto damagedEnd = [=](const QString& path) {
        byCommandLine(QStringLiteral("-f lavfi -i testsrc2=size=320x240:rate=30:duration=3 -c:v mjpeg "
                                     "-pix_fmt yuvj420p -f mp4"))(path);
        QByteArray bytes = test::readFile(path);
        const qsizetype from = test::keyframeOffsets(path).value(60);
        std::fill(bytes.begin() + from, bytes.begin() + bytes.lastIndexOf("moov") - 4, '\0');
        test::writeFile(path, bytes);
    };
    const QString ts = QStringLiteral("mpegts");
    // The player plays the late pictures' stream 15.98 s: its last packet
    // says it lasts half a picture.
    const std::vector<Row> rows{
        {"pictures joining the sound 6 s in", late, 127, {320, 240},
         {{7, 8, 25}, {0.5, 1.5, 1}, {5, 8, 50}, {12, 14, 50}}},
        {"sound after the last picture", soundLonger, 30, {320, 240}, {{2.5, 3.5, 1}}},
        {"2 s without its tables",
         withoutTables({.duration = 2, .size = {640, 360}, .audio = {test::systemTone}, .container = ts}), 16,
         {640, 360}, {{0.5, 1.5, 30}}},
        {"2 s coded as converters do",
         coded({.duration = 2, .size = {640, 360}, .container = ts, .encoderDefaults = true}), 16, {640, 360},
         {{0.5, 1.5, 30}}},
        {"8 s with one keyframe",
         coded({.duration = 8, .size = {1280, 720}, .audio = {test::systemTone}, .container = ts,
               .encoderDefaults = true}),
         64, {1280, 720}, {{6, 7, 30}}},
        {"H.264, then HEVC", switching("libx264", "libx265"), 47, {320, 240}, {{0.5, 1.5, 26}}},
        {"HEVC, then H.264", switching("libx265", "libx264"), 47, {320, 240}, {{0.5, 1.5, 26}}},
        {"fragmented MP4", fragmented, 48, {320, 240}, {{4, 5, 25}}},
        {"the last second damaged", damagedEnd, 24, {320, 240}, {{1.5, 2.5, 15}}},
        {"64 MB of random bytes in the middle",
         coded({.duration = 3, .audio = {test::systemTone}, .container = ts, .damage = 64 << 20}), 24, {320, 240},
         {{2.5, 3, 15, 5}}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString source = folder.file(QStringLiteral("source.mp4"));
        ASSERT_NO_FATAL_FAILURE(row.make(source));
        const Result<QString> made = gif(source, folder.file(QStringLiteral("%1.gif").arg(QLatin1String(row.name))));
        EXPECT_TRUE(made) << errorOf(made).toStdString();
        QList<QImage> frames;
        if (made) {
            EXPECT_EQ(readGif(test::readFile(made.value())).delays.size(), row.gifFrames);
            frames = test::decodePictures(made.value(), std::nullopt, row.gifFrames);
        }
        for (const Stretch& stretch : row.stretches) {
            SCOPED_TRACE(stretch.from);
            const qsizetype shown = std::lround(stretch.from * VideoExport::gifRate);
            EXPECT_TRUE(!made || frames.size() > shown);
            if (frames.size() > shown) {
                EXPECT_GT(test::psnr(frames[shown], shownByPlayer(source, stretch.from, frames[shown].size())), 24);
            }
            const QString name = QStringLiteral("%1 %2.mp4").arg(QLatin1String(row.name)).arg(stretch.from);
            const qint64 before = test::bytesRead();
            const Result<QString> cut = trim(source, stretch.from, stretch.to, folder.file(name));
            const double reads = double(test::bytesRead() - before) / double(QFileInfo(source).size());
            if (stretch.readsAtMost > 0) {
                EXPECT_LT(reads, stretch.readsAtMost) << "the trim reads the damage over and over";
            }
            EXPECT_TRUE(cut) << errorOf(cut).toStdString();
            if (!cut) continue;
            EXPECT_NEAR(videoLength(cut.value()), stretch.to - stretch.from, 1.0 / 30);
            EXPECT_EQ(test::pictureTimes(cut.value()).size(), stretch.pictures);
            const QImage first = test::decodePictures(cut.value(), std::nullopt, 1).value(0);
            EXPECT_EQ(first.size(), row.size);
            EXPECT_GT(test::psnr(first, shownByPlayer(source, stretch.from, row.size)), 30);
        }
    }
}

class CodingExportTest : public VideoExportTest, public testing::WithParamInterface<test::PictureCoding> {
protected:
    QString make() {
        const QString path = folder.file(QStringLiteral("讲解.") + GetParam().suffix);
        test::makeCodedVideo(path, GetParam(), test::Showing::moving, QSize(1280, 720), 1.0);
        return path;
    }
};

// Made smaller to fit 960 × 960 on the way, each frame shows the picture at
// its eighth of a second, as FFmpeg's own decoding of the video shows it.
TEST_P(CodingExportTest, AGifShowsThePicturesOfEveryCoding) {
    QString source;
    ASSERT_NO_FATAL_FAILURE(source = make());
    const Result<QString> result = gif(source, folder.file(QStringLiteral("a.gif")));
    ASSERT_TRUE(result) << errorOf(result).toStdString();
    const QList<QImage> frames = test::decodePictures(result.value());
    const QList<QImage> video = test::decodePictures(source, QSize(960, 540));
    ASSERT_EQ(frames.size(), 8);
    ASSERT_EQ(video.size(), 10);
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const qsizetype shown = i * 10 / 8;
        EXPECT_TRUE(showsPicture(frames[i], video, shown)) << "frame " << i;
        EXPECT_GT(test::psnr(frames[i], video[shown]), 24) << "frame " << i;
    }
}

// Coded again in 4:2:0, as every trim is: a colour edge between two
// pixels of one chroma sample blurs.
TEST_P(CodingExportTest, ATrimShowsThePicturesOfEveryCoding) {
    QString source;
    ASSERT_NO_FATAL_FAILURE(source = make());
    const Result<QString> result = trim(source, 0, 1, folder.file(QStringLiteral("cut.mp4")));
    ASSERT_TRUE(result) << errorOf(result).toStdString();
    const QList<QImage> pictures = test::decodePictures(result.value());
    const QList<QImage> video = test::decodePictures(source);
    ASSERT_EQ(pictures.size(), 10);
    ASSERT_EQ(video.size(), 10);
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        EXPECT_TRUE(showsPicture(pictures[i], video, i)) << "picture " << i;
        EXPECT_GT(test::psnr(pictures[i], video[i]), 25) << "picture " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, CodingExportTest, testing::ValuesIn(test::pictureCodings()),
                         [](const testing::TestParamInfo<test::PictureCoding>& coding) { return coding.param.name; });

}  // namespace
