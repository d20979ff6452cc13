// GIF exports, trims and the look at an opened video, of files whose content
// names other files or addresses, and of pictures larger than 8192 × 4320:
// each answers with its sentence, or makes its GIF of the one file, reaching
// nothing and without the memory such pictures take.
#include "platform/ShotError.h"
#include "recording/RecordingMessages.h"
#include "recording/VideoExport.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Memory.h"
#include "tests/support/ReachingVideos.h"
#include "tests/support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>

using namespace tavero;
using Kind = test::ReachingVideos::Kind;

namespace {

constexpr auto answerBound = std::chrono::seconds(20);
constexpr long long smallGrowth = 64ll << 20;

// The sentence `work` answers with; empty when it succeeds.
QString sentenceOf(const std::function<void()>& work) {
    try {
        work();
        return {};
    } catch (const ShotError& error) {
        return error.message();
    }
}

QStringList gifsIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.gif")}, QDir::Files | QDir::Hidden);
}

class ReachingVideoExportTest : public testing::TestWithParam<Kind> {
protected:
    test::TempDir dir;
    test::ReachingVideos videos{dir.path()};
    const QString path = videos.path(GetParam());
};

// A list is refused; a video is made a GIF of as the one file it is.
TEST_P(ReachingVideoExportTest, AGifOfItIsMadeOfItAloneOrRefusedWithoutReachingWhatItNames) {
    std::future<QString> sentence = std::async(std::launch::async, [&] {
        return sentenceOf([&] { VideoExport::writeGif(path, dir.file(QStringLiteral("made.gif"))); });
    });
    const bool answered = sentence.wait_for(answerBound) == std::future_status::ready;
    // Asking lets go whatever the export waits on, so it ends either way.
    videos.expectNothingReached(GetParam());
    EXPECT_TRUE(answered) << "waits on what the file names";
    if (test::ReachingVideos::secondsHeld(GetParam()) == 0) {
        EXPECT_EQ(sentence.get(), RecordingMessages::videoUnreadable());
        EXPECT_EQ(gifsIn(dir.path()), QStringList());
    } else {
        EXPECT_EQ(sentence.get(), QString());
        EXPECT_EQ(gifsIn(dir.path()), QStringList{QStringLiteral("made.gif")});
    }
}

INSTANTIATE_TEST_SUITE_P(VideoExportInputTest, ReachingVideoExportTest, testing::ValuesIn(test::ReachingVideos::kinds),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return test::ReachingVideos::name(info.param);
                         });

// Each runs in a child, which fails unless it answers that the pictures are
// too large.
TEST(VideoExportInputTest, AVideoOfLargerPicturesSaysSoOpenedMadeAGifOrTrimmed) {
    const test::TempDir dir;
    const QString source = dir.file(QStringLiteral("巨幅.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeLargeStill(source, {.size = QSize(16000, 16000)}));
    const QString gif = dir.file(QStringLiteral("巨幅.gif"));
    const QString trim = dir.file(QStringLiteral("巨幅-片段.mp4"));
    for (const auto& [what, work] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"the look at the opened video", [&] { VideoExport::requirePictures(source); }},
             {"the GIF", [&] { VideoExport::writeGif(source, gif); }},
             {"the trim", [&] { VideoExport::writeTrim(source, 0, 0.5, trim); }}}) {
        const long long growth = test::peakMemoryGrowth([&] {
            const QString sentence = sentenceOf(work);
            if (sentence == RecordingMessages::videoTooLarge()) return;
            std::fprintf(stderr, "%s answered: %s\n", what, qPrintable(sentence));
            std::_Exit(1);
        });
        ASSERT_GE(growth, 0) << what << ": not told too large";
        if (test::tightMemoryBudgets) {
            EXPECT_LT(growth, smallGrowth) << what;
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("巨幅.mp4")});
}

}  // namespace
