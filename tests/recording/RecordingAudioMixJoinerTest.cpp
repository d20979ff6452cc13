#include "platform/files/FreeSpace.h"
#include "recording/RecordedVideoValidation.h"
#include "recording/RecordingAudioMixJoiner.h"
#include "recording/RecordingJoiner.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

// The video's compressed packets as they lie in the file: time, size and checksum.
QString videoPackets(const QString& path) {
    return test::ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v"), QStringLiteral("-show_data_hash"),
                          QStringLiteral("md5"), QStringLiteral("-show_entries"), QStringLiteral("packet=pts,size,data_hash"),
                          QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                         path);
}

std::vector<float> span(const std::vector<float>& sound, double from, double to) {
    const auto first = sound.begin() + std::ptrdiff_t(std::min(sound.size(), size_t(from * 48000)));
    const auto last = sound.begin() + std::ptrdiff_t(std::min(sound.size(), size_t(to * 48000)));
    return {first, last};
}

class RecordingAudioMixJoinerTest : public testing::Test {
protected:
    RecordedVideo part(const QString& name, const test::VideoFixture& fixture) {
        const QString path = dir.file(name);
        test::makeVideo(path, fixture);
        return {path, RecordedVideoValidation::duration(path), std::nullopt};
    }

    QStringList folder() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QString mixSentence(const QList<RecordedVideo>& parts) {
        try {
            RecordingAudioMixJoiner::join(parts, destination);
        } catch (const ShotError& error) {
            return error.message();
        }
        return QStringLiteral("mixed");
    }

    test::TempDir dir;
    const QString destination = dir.file(QStringLiteral("讲解.mp4"));
};

}  // namespace

TEST_F(RecordingAudioMixJoinerTest, TwoSoundTracksBecomeOneThatCarriesBothWhileTheVideoIsCopied) {
    const QList<RecordedVideo> parts{
        part(QStringLiteral("1.mp4"), {.duration = 1.5, .audio = {test::systemTone, test::micTone}, .fragmented = true}),
        part(QStringLiteral("2.mp4"), {.duration = 1.5, .audio = {test::systemTone, test::micTone}, .fragmented = true}),
    };
    const QString joined = dir.file(QStringLiteral("joined.mp4"));
    const double joinedSeconds = RecordingJoiner::join(parts, joined);
    ASSERT_EQ(test::soundTrackTags(joined).size(), 2);

    const double seconds = RecordingAudioMixJoiner::join(parts, destination);
    EXPECT_NEAR(seconds, joinedSeconds, 0.05);
    EXPECT_EQ(test::soundTrackTags(destination).size(), 1);
    EXPECT_EQ(videoPackets(destination), videoPackets(joined));

    // Each tone plays at 0.8 of its level in its own track.
    const double level = test::toneAmplitude(test::decodeSound(parts[0].url, 0), 48000, test::systemTone.frequency);
    ASSERT_GT(level, 0.05);
    const std::vector<float> sound = test::decodeSound(destination);
    EXPECT_NEAR(double(sound.size()) / 48000, seconds, 0.1);
    for (const double part : {0.0, 1.5}) {
        const std::vector<float> heard = span(sound, part + 0.1, part + 1.4);
        EXPECT_NEAR(test::toneAmplitude(heard, 48000, test::systemTone.frequency), 0.8 * level, 0.1 * level) << part;
        EXPECT_NEAR(test::toneAmplitude(heard, 48000, test::micTone.frequency), 0.8 * level, 0.1 * level) << part;
        EXPECT_LT(test::toneAmplitude(heard, 48000, 550), 0.05 * level);
    }
    EXPECT_EQ(folder(), (QStringList{QStringLiteral("1.mp4"), QStringLiteral("2.mp4"), QStringLiteral("joined.mp4"),
                                     QStringLiteral("讲解.mp4")}));
}

TEST_F(RecordingAudioMixJoinerTest, AnyPartWithTwoTracksCallsForTheMixAndEachTrackKeepsItsPlace) {
    const QList<RecordedVideo> parts{
        part(QStringLiteral("1.mp4"), {.duration = 1.5, .audio = {test::systemTone}}),
        part(QStringLiteral("2.mp4"), {.duration = 1.5, .audio = {test::systemTone, test::micTone}}),
    };
    RecordingAudioMixJoiner::join(parts, destination);
    EXPECT_EQ(test::soundTrackTags(destination).size(), 1);
    const std::vector<float> sound = test::decodeSound(destination);
    const double level = 0.8 * test::toneAmplitude(test::decodeSound(parts[0].url, 0), 48000, test::systemTone.frequency);
    EXPECT_LT(test::toneAmplitude(span(sound, 0.1, 1.4), 48000, test::micTone.frequency), 0.05 * level);
    EXPECT_NEAR(test::toneAmplitude(span(sound, 1.6, 2.9), 48000, test::micTone.frequency), level, 0.1 * level);
    EXPECT_NEAR(test::toneAmplitude(span(sound, 0.1, 1.4), 48000, test::systemTone.frequency), level, 0.1 * level);
}

TEST_F(RecordingAudioMixJoinerTest, PartsWithOneTrackAreSimplyJoined) {
    const QList<RecordedVideo> parts{
        part(QStringLiteral("1.mp4"), {.duration = 1.0, .audio = {test::systemTone}}),
        part(QStringLiteral("2.mp4"), {.duration = 1.0, .audio = {test::systemTone}}),
    };
    EXPECT_NEAR(RecordingAudioMixJoiner::join(parts, destination), 2.0, 0.05);
    EXPECT_EQ(test::soundTrackTags(destination), QStringList{QStringLiteral("system")});
    EXPECT_EQ(folder().size(), 3);
}

TEST_F(RecordingAudioMixJoinerTest, TheMixNeedsRoomForBothFilesAndNeverReplacesOne) {
    const QList<RecordedVideo> parts{
        part(QStringLiteral("1.mp4"), {.duration = 1.0, .audio = {test::systemTone, test::micTone}}),
        part(QStringLiteral("2.mp4"), {.duration = 1.0, .audio = {test::systemTone, test::micTone}}),
    };
    const qint64 bytes = QFileInfo(parts[0].url).size() + QFileInfo(parts[1].url).size();
    {
        // Room for the joined file alone is not enough.
        FreeSpace::ScopedProbe tight([bytes](const QString&) { return std::optional<qint64>(2 * bytes + 499'999'999); });
        EXPECT_EQ(mixSentence(parts), QStringLiteral("空间不足以合并片段，请腾出空间。"));
    }
    EXPECT_EQ(mixSentence({}), QStringLiteral("没有可保存的录制片段。"));
    test::writeFile(destination, "an earlier video");
    EXPECT_EQ(mixSentence(parts), QStringLiteral("目标位置已有同名文件，没有覆盖它。"));
    EXPECT_EQ(test::readFile(destination), QByteArray("an earlier video"));
    EXPECT_EQ(folder(), (QStringList{QStringLiteral("1.mp4"), QStringLiteral("2.mp4"), QStringLiteral("讲解.mp4")}));
}

TEST_F(RecordingAudioMixJoinerTest, AMixThatCannotBePublishedLeavesNoIntermediateFile) {
    const QList<RecordedVideo> parts{
        part(QStringLiteral("1.mp4"), {.duration = 1.0, .audio = {test::systemTone, test::micTone}}),
        part(QStringLiteral("2.mp4"), {.duration = 1.0, .audio = {test::systemTone, test::micTone}}),
    };
    // Another program takes the destination's name once the mix has begun.
    FreeSpace::ScopedProbe takesTheName([this](const QString&) {
        if (!QFileInfo::exists(destination)) test::writeFile(destination, "another program's video");
        return std::optional<qint64>();
    });
    EXPECT_EQ(mixSentence(parts), QStringLiteral("目标位置已有同名文件，没有覆盖它。"));
    EXPECT_EQ(test::readFile(destination), QByteArray("another program's video"));
    EXPECT_EQ(folder(), (QStringList{QStringLiteral("1.mp4"), QStringLiteral("2.mp4"), QStringLiteral("讲解.mp4")}));
}
