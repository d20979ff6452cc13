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
#include "tests/support/MediaFixtures.h"
#include "tests/support/Memory.h"
#include "tests/support/ReachingVideos.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <tuple>

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
    // MPEG-TS finds its streams as their packets come, after the open.
    for (const auto& [what, pictures, sounds, container] :
         {std::tuple{"999 video streams", 999, 0, "mp4"}, std::tuple{"499 sound streams", 1, 499, "mp4"},
          std::tuple{"999 video streams in MPEG-TS", 999, 0, "mpegts"}}) {
        const QString path = dir.file(QStringLiteral("%1-%2.mp4").arg(pictures + sounds).arg(QLatin1String(container)));
        ASSERT_NO_FATAL_FAILURE(test::makeManyStreams(path, pictures, sounds, QLatin1String(container)));
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

// Players and converters write Matroska and MPEG-TS under the names of MP4
// files: they open as what they are; a video of another container is refused
// for it. Each lasts what it holds, whatever its header declares.
TEST(MediaInputTest, EachContainerOpensAsWhatItIsAndLastsWhatItHolds) {
    const test::TempDir dir;
    for (const auto& [container, declared] : {std::pair{"matroska", 0.0}, std::pair{"mpegts", 0.0},
                                              std::pair{"mp4", 4e6}, std::pair{"matroska", 1e9}}) {
        SCOPED_TRACE(testing::Message() << container << " declaring " << declared << " s");
        const QString path = dir.file(QStringLiteral("%1-%2.mp4").arg(QLatin1String(container)).arg(declared));
        test::VideoFixture fixture{.duration = 3.0, .size = QSize(160, 120), .audio = {test::systemTone},
                                   .container = QLatin1String(container)};
        if (declared > 0) fixture.declaredSeconds = declared;
        ASSERT_NO_FATAL_FAILURE(test::makeVideo(path, fixture));
        std::optional<MovieDecoder> decoder;
        ASSERT_NO_THROW(decoder.emplace(path, CancelToken()));
        EXPECT_NEAR(decoder->duration(), 3.0, 0.1);
        EXPECT_TRUE(decoder->hasSound());
        EXPECT_TRUE(decoder->nextPicture().has_value());
        double measured = 0;
        EXPECT_NO_THROW(measured = measurePlayableVideo(path).duration);
        EXPECT_NEAR(measured, 3.0, 0.1);
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
