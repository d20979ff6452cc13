// What a video handed to the program may have FFmpeg read: the one regular
// file, as MP4, QuickTime, Matroska or MPEG-TS, with pictures of 8192 × 4320
// pixels at most, and of its streams only those read. Files whose content
// names other files or addresses once made the reader connect, wait on a
// FIFO for good, or open itself until no file handle was left; Matroska and
// MPEG-TS files that name others (linked segments, chapters, attachments,
// tags, a playlist after their first bytes) play as themselves alone. A
// picture of 16000 × 16000 took gigabytes before anything was shown, and so
// did 999 small streams of which one was read.
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/MovieDecoder.h"
#include "platform/media/MoviePlayback.h"
#include "platform/media/PlayableVideo.h"
#include "platform/media/VideoFileReader.h"
#include "tests/support/CraftedMatroska.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Memory.h"
#include "tests/support/ReachingVideos.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

using namespace tavero;
using namespace tavero::media;
using Kind = test::ReachingVideos::Kind;

namespace {

constexpr int waitMs = 20'000;
constexpr long long smallGrowth = 64ll << 20;
const QSize huge(16000, 16000);

// Whether `playback` gives up on its file: it says it changed without
// becoming playable.
bool givesUp(MoviePlayback& playback) {
    bool changed = false;
    const QMetaObject::Connection connection =
        QObject::connect(&playback, &MoviePlayback::changed, [&] { changed = true; });
    const bool answered = QTest::qWaitFor([&] { return changed; }, waitMs);
    QObject::disconnect(connection);
    return answered && !playback.playable();
}

// Whether `playback` opens its file and, played, comes to its end.
bool playsToItsEnd(MoviePlayback& playback) {
    if (!QTest::qWaitFor([&] { return playback.playable(); }, waitMs)) return false;
    playback.play();
    return QTest::qWaitFor([&] { return !playback.playing(); }, waitMs);
}

// Runs `open` in a child; how far the child's memory rose, or -1 unless it
// was refused for its pictures' size.
long long growthOfRefusal(const std::function<void()>& open) {
    return test::peakMemoryGrowth([&] {
        try {
            open();
        } catch (const PictureTooLarge&) {
            return;
        } catch (const MediaError&) {
        }
        std::_Exit(1);
    });
}

class ReachingVideoTest : public testing::TestWithParam<Kind> {
protected:
    test::TempDir dir;
    test::ReachingVideos videos{dir.path()};
    const QString path = videos.path(GetParam());
};

// Leaving the video joins the player's thread, which must not be waiting.
// A list never plays; a video plays to its end as the one file it is.
TEST_P(ReachingVideoTest, ThePlayerPlaysNothingButTheFileAndHoldsNothingOpen) {
    auto playback = std::make_unique<MoviePlayback>(path);
    const double seconds = test::ReachingVideos::secondsHeld(GetParam());
    if (seconds == 0) {
        EXPECT_TRUE(givesUp(*playback)) << "the player waits on what the file names";
    } else {
        EXPECT_TRUE(playsToItsEnd(*playback));
        EXPECT_NEAR(double(playback->duration()), seconds * 1000, 100);
    }
    // Asking lets go whatever a reader waits on, so a reader that followed
    // the file ends too.
    videos.expectNothingReached(GetParam());
    playback.reset();
}

INSTANTIATE_TEST_SUITE_P(MediaInputTest, ReachingVideoTest, testing::ValuesIn(test::ReachingVideos::kinds),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return test::ReachingVideos::name(info.param);
                         });

// The largest screens (7680 × 4320) and cameras (8192 × 4320) give the
// largest pictures opened, either way up; the header alone refuses more.
TEST(MediaInputTest, PicturesOf8KScreensAndCamerasAreTheLargestOpened) {
    const test::TempDir dir;
    for (const QSize declared : {QSize(8192, 4320), QSize(4320, 8192), QSize(7680, 4320), QSize(4320, 7680)}) {
        SCOPED_TRACE(testing::Message() << declared.width() << " x " << declared.height());
        const QString path = dir.file(QStringLiteral("%1x%2.mp4").arg(declared.width()).arg(declared.height()));
        ASSERT_NO_FATAL_FAILURE(test::makeVideoDeclaring(path, declared));
        const InputFile input(path, {}, StreamInfo::fromHeader);
        EXPECT_EQ(firstVideoStream(input.get())->codecpar->width, declared.width());
    }
    for (const QSize declared : {QSize(8193, 64), QSize(64, 8193), QSize(6000, 6000)}) {
        SCOPED_TRACE(testing::Message() << declared.width() << " x " << declared.height());
        const QString path = dir.file(QStringLiteral("%1x%2.mp4").arg(declared.width()).arg(declared.height()));
        ASSERT_NO_FATAL_FAILURE(test::makeVideoDeclaring(path, declared));
        EXPECT_THROW(InputFile(path, {}, StreamInfo::fromHeader), PictureTooLarge);
    }
}

TEST(MediaInputTest, AVideoOfLargerPicturesIsRefusedBeforeOneIsDecoded) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("巨幅.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeLargeStill(path, {.size = huge}));
    for (const auto& [what, open] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"opening", [&] { InputFile input(path, {}); }},
             {"the player's first picture", [&] { MovieDecoder(path, {}).nextPicture(); }}}) {
        const long long growth = growthOfRefusal(open);
        ASSERT_GE(growth, 0) << what << ": not refused as too large";
        if (test::tightMemoryBudgets) {
            EXPECT_LT(growth, smallGrowth) << what;
        }
    }
    MoviePlayback playback(path);
    EXPECT_TRUE(givesUp(playback));
}

// A header that understates the size leaves the decoders to refuse the
// pictures: those that look into the streams on opening (a PNG is decoded
// whole there) and those that read them.
TEST(MediaInputTest, LargerPicturesBehindASmallerHeaderAreNotDecoded) {
    const test::TempDir dir;
    const QString path = dir.file(QStringLiteral("谎报.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeLargeStill(path, {.size = huge, .png = true, .declared = QSize(64, 48)}));
    const long long growth = test::peakMemoryGrowth([&] {
        try {
            MovieDecoder decoder(path, {});
            if (decoder.nextPicture()) std::_Exit(1);
        } catch (const MediaError&) {
        }
    });
    ASSERT_GE(growth, 0) << "a picture was decoded";
    if (test::tightMemoryBudgets) {
        EXPECT_LT(growth, smallGrowth);
    }
}

// Each reader opens a file of many streams in a child; the growth of its
// memory, or -1 when it failed.
TEST(MediaInputTest, StreamsAReaderDoesNotReadCostItNothing) {
    const test::TempDir dir;
    const std::initializer_list<std::pair<const char*, std::function<void(const QString&)>>> readers{
        {"the player", [](const QString& path) { MovieDecoder(path, {}).nextPicture().value(); }},
        {"the look on opening", [](const QString& path) { VideoFileReader(path, {}).next().value(); }},
        {"measuring", [](const QString& path) { measurePlayableVideo(path); }}};
    // MPEG-TS finds its streams as their packets come, after the open; and
    // without its tables, from its packets alone.
    for (const auto& [what, pictures, sounds, container, tables] :
         {std::tuple{"999 video streams", 999, 0, "mp4", true}, std::tuple{"499 sound streams", 1, 499, "mp4", true},
          std::tuple{"999 video streams in MPEG-TS", 999, 0, "mpegts", true},
          std::tuple{"999 video streams in MPEG-TS without its tables", 999, 0, "mpegts", false}}) {
        const QString path = dir.file(QStringLiteral("%1-%2-%3.mp4")
                                          .arg(pictures + sounds)
                                          .arg(QLatin1String(container))
                                          .arg(tables ? QStringLiteral("tables") : QStringLiteral("packets")));
        ASSERT_NO_FATAL_FAILURE(test::makeManyStreams(path, pictures, sounds, QLatin1String(container)));
        if (!tables) {
            ASSERT_NO_FATAL_FAILURE(test::leaveOutTransportTables(path));
        }
        for (const auto& [reader, read] : readers) {
            SCOPED_TRACE(testing::Message() << what << ", " << reader);
            const long long growth = test::peakMemoryGrowth([&] { read(path); });
            ASSERT_GE(growth, 0) << "not read";
            if (test::tightMemoryBudgets) {
                EXPECT_LT(growth, smallGrowth);
            }
        }
    }
}

struct HeldVideo {
    const char* name;
    test::VideoFixture fixture;
    // A last cluster appended at these milliseconds (none at 0), of track 1
    // (the pictures) or 2 (the sound).
    quint64 clusterAt = 0;
    int clusterTrack = 0;
    // An MPEG-TS's programme tables left out.
    bool withoutTables = false;
    double seconds = 3.0;
};

// Players and converters write Matroska and MPEG-TS under the names of MP4
// files: they open as what they are; a video of another container is refused
// for it. Each lasts what it holds, whatever its header declares or leaves
// out, read without reading the whole file: a live Matroska recording once
// lasted as its size and its PCM track's rate made it, took every byte of 2 GB
// after it to open, and a last cluster timed far away made it last as far.
// An MPEG-TS without programme tables opens from its packets, as it once did.
// A live recording goes on after a pause of its pictures, which once ended
// it; an MPEG-TS damaged in the middle took 200 MB of random bytes read four
// times over to open, and plays on after them.
TEST(MediaInputTest, EachContainerOpensAsWhatItIsAndLastsWhatItHolds) {
    const test::TempDir dir;
    const auto held = [](const char* container, bool live = false) {
        return test::VideoFixture{.duration = 3.0, .size = QSize(160, 120), .audio = {test::systemTone},
                                  .container = QLatin1String(container), .live = live};
    };
    const test::VideoFixture live = held("matroska", true);
    test::VideoFixture declaring4e6 = held("mp4"), declaring1e9 = held("matroska"), pcm = live, raw = live,
                       followed = live, far = live, paused = live, damaged = held("mpegts");
    declaring4e6.declaredSeconds = 4e6;
    declaring1e9.declaredSeconds = 1e9;
    pcm.soundCodec = QStringLiteral("pcm_s16le");
    raw.codec = QStringLiteral("rawvideo");
    raw.size = QSize(640, 480);
    followed.truncateAt = 2ll << 30;
    // The last pictures come out of the decoder only after the next packet.
    far.rate = 10;
    paused.duration = 90;
    paused.pause = {{10, 80}};
    damaged.damage = 64 << 20;
    const std::vector<HeldVideo> videos{{"matroska", held("matroska")},
                                        {"mpegts", held("mpegts")},
                                        {"mp4 declaring 4e6 s", declaring4e6},
                                        {"matroska declaring 1e9 s", declaring1e9},
                                        {"live matroska", live},
                                        {"live matroska with PCM", pcm},
                                        {"live matroska of 40 MB", raw},
                                        {"live matroska followed by 2 GB of zeros", followed},
                                        {"a last cluster of pictures at 1e9 ms", far, quint64(1e9), 1},
                                        {"a last cluster of sound at 1e12 ms", far, quint64(1e12), 2},
                                        {"mpegts without its tables", held("mpegts"), 0, 0, true},
                                        {"live matroska paused for 70 s", paused, 0, 0, false, 90},
                                        {"mpegts with 64 MB of random bytes in the middle", damaged}};
    for (const HeldVideo& video : videos) {
        SCOPED_TRACE(video.name);
        const QString path = dir.file(QStringLiteral("%1.mp4").arg(QLatin1String(video.name)));
        ASSERT_NO_FATAL_FAILURE(test::makeVideo(path, video.fixture));
        if (video.clusterAt) {
            test::appendFile(path, test::matroskaCluster(video.clusterAt, video.clusterTrack, QByteArray(64, 'x')));
        }
        if (video.withoutTables) {
            ASSERT_NO_FATAL_FAILURE(test::leaveOutTransportTables(path));
        }
        const qint64 before = test::bytesRead();
        std::optional<MovieDecoder> decoder;
        ASSERT_NO_THROW(decoder.emplace(path, CancelToken()));
        EXPECT_NEAR(decoder->duration(), video.seconds, 0.1);
        EXPECT_EQ(decoder->hasSound(), !video.fixture.audio.isEmpty());
        EXPECT_TRUE(decoder->nextPicture().has_value());
        // Less than the whole file, but for small ones.
        EXPECT_LT(test::bytesRead() - before, std::clamp(QFileInfo(path).size(), 16ll << 20, 256ll << 20))
            << "the player reads the whole file to open it";
        decoder->seek(video.seconds - 0.5);
        const std::optional<MovieFrame> last = decoder->nextPicture();
        EXPECT_GT(last ? last->time : 0, video.seconds - 1.5) << "the player shows the last second";
        double measured = 0;
        EXPECT_NO_THROW(measured = measurePlayableVideo(path).duration);
        EXPECT_NEAR(measured, video.seconds, 0.1);
    }
    for (const char* container : {"avi", "flv"}) {
        SCOPED_TRACE(container);
        const QString path = dir.file(QStringLiteral("%1.mp4").arg(QLatin1String(container)));
        ASSERT_NO_FATAL_FAILURE(
            test::makeVideo(path, {.duration = 1.0, .size = QSize(64, 48), .container = QLatin1String(container)}));
        EXPECT_THROW(InputFile(path, {}), ContainerNotSupported);
    }
}

}  // namespace

