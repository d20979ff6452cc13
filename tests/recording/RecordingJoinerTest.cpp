#include "platform/files/FreeSpace.h"
#include "platform/media/PartWriter.h"
#include "recording/RecordedVideoValidation.h"
#include "recording/RecordingJoiner.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <vector>

using namespace tavero;

namespace {

QString joinSentence(const QList<RecordedVideo>& parts, const QString& destination) {
    try {
        RecordingJoiner::join(parts, destination);
    } catch (const ShotError& error) {
        return error.message();
    }
    return QStringLiteral("joined");
}

// Start times, in seconds, of the packets of one stream ("v:0", "a:1").
QList<double> packetTimes(const QString& path, const QString& stream) {
    QList<double> times;
    const QString lines = test::ffprobe({QStringLiteral("-select_streams"), stream, QStringLiteral("-show_entries"),
                                         QStringLiteral("packet=pts_time"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                                        path);
    for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) times << line.toDouble();
    return times;
}

constexpr int soundRate = 48000;
constexpr double beepFrequency = 3000;

// A part as our recorder writes it, at 30 pictures a second: black, then a
// white flash of 0.1 s at picture `flash` with a beep starting at the very
// same moment, then black again until picture `pictures`, the sound lasting
// as long as the pictures.
void writeFlashAndBeep(const QString& path, int flash, int pictures) {
    media::PartWriter writer(path, {QSize(64, 48), {QString()}});
    QImage black(64, 48, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage white = black;
    white.fill(Qt::white);
    for (int picture = 0; picture < pictures; ++picture)
        writer.writePicture(picture >= flash && picture < flash + 3 ? white : black, picture / 30.0);

    const int samples = int(std::lround(writer.writtenSeconds() * soundRate));
    const int beepStart = flash * soundRate / 30;
    std::vector<float> stereo;
    for (int sample = 0; sample < samples; ++sample) {
        const bool beeping = sample >= beepStart && sample < beepStart + soundRate / 10;
        const float value =
            beeping ? float(0.5 * std::sin(2 * std::numbers::pi * beepFrequency * (sample - beepStart) / soundRate)) : 0.0f;
        stereo.insert(stereo.end(), 2, value);
    }
    writer.writeSound(0, stereo.data(), samples);
    writer.finish();
}

// Where each beep begins in `samples` (one channel at 48 kHz), in seconds:
// the first 2 ms slice of every run of slices holding its frequency.
QList<double> beepOnsets(const std::vector<float>& samples) {
    constexpr size_t slice = 96;
    QList<double> onsets;
    bool beeping = false;
    for (size_t start = 0; start + slice <= samples.size(); start += slice / 4) {
        const std::vector<float> part(samples.begin() + qsizetype(start), samples.begin() + qsizetype(start + slice));
        const bool heard = test::toneAmplitude(part, soundRate, beepFrequency) > 0.1;
        if (heard && !beeping) onsets << double(start + slice / 2) / soundRate;
        beeping = heard;
    }
    return onsets;
}

// Times of the pictures where the flash begins.
QList<double> flashTimes(const QString& path) {
    const QList<double> times = test::pictureTimes(path);
    const QList<QImage> pictures = test::decodePictures(path, QSize(8, 6));
    QList<double> flashes;
    bool white = false;
    for (qsizetype index = 0; index < std::min(times.size(), pictures.size()); ++index) {
        const bool bright = qGray(pictures[index].pixel(4, 3)) > 128;
        if (bright && !white) flashes << times[index];
        white = bright;
    }
    return flashes;
}

class RecordingJoinerTest : public testing::Test {
protected:
    // A part as the session hands it over: made, then measured.
    RecordedVideo part(const QString& name, const test::VideoFixture& fixture) {
        const QString path = dir.file(name);
        test::makeVideo(path, fixture);
        return {path, RecordedVideoValidation::duration(path), std::nullopt};
    }

    // Nothing but the given files is left in the folder (no hidden output).
    QStringList folder() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    test::TempDir dir;
    const QString destination = dir.file(QStringLiteral("录屏.mp4"));
};

}  // namespace

TEST_F(RecordingJoinerTest, PartsFollowEachOtherAtTheirRecordedLengths) {
    const test::VideoFixture sound{.audio = {test::systemTone}, .fragmented = true};
    QList<RecordedVideo> parts;
    for (const double seconds : {2.0, 3.0, 1.5}) {
        test::VideoFixture fixture = sound;
        fixture.duration = seconds;
        parts << part(QStringLiteral("片段_%1.mp4").arg(parts.size() + 1), fixture);
    }
    const QByteArray firstPart = test::readFile(parts[0].url);

    const double seconds = RecordingJoiner::join(parts, destination);
    EXPECT_NEAR(seconds, 6.5, 0.15);
    EXPECT_NEAR(RecordedVideoValidation::duration(destination), seconds, 1e-6);
    EXPECT_EQ(test::readFile(parts[0].url), firstPart);

    // Every part begins with the same picture, which must sit where the part starts.
    const QList<double> times = test::pictureTimes(destination);
    const QList<QImage> pictures = test::decodePictures(destination, QSize(80, 60));
    ASSERT_EQ(times.size(), pictures.size());
    const double starts[] = {0, parts[0].duration, parts[0].duration + parts[1].duration};
    for (const double start : starts) {
        const auto at = std::find_if(times.begin(), times.end(), [start](double time) { return time > start - 0.005; });
        ASSERT_NE(at, times.end());
        EXPECT_NEAR(*at, start, 0.005);
        EXPECT_EQ(pictures[at - times.begin()], pictures[0]) << "no part begins at " << start;
        if (at != times.begin()) {
            EXPECT_NE(pictures[at - times.begin() - 1], pictures[0]);
        }
    }
    EXPECT_NEAR(starts[1], 2.0, 0.034);
    EXPECT_NEAR(starts[2], 5.0, 0.067);
    EXPECT_EQ(test::soundTrackTags(destination), QStringList{QStringLiteral("system")});
    EXPECT_EQ(folder().size(), 4);
}

TEST_F(RecordingJoinerTest, SoundKeepsItsPlaceAcrossPartsWithoutSoundAndTracksFollowTheirTags) {
    const QList<RecordedVideo> parts{
        part(QStringLiteral("1.mp4"), {.duration = 1.0}),
        part(QStringLiteral("2.mp4"), {.duration = 2.0, .audio = {test::systemTone, test::micTone}}),
        part(QStringLiteral("3.mp4"), {.duration = 1.0}),
        part(QStringLiteral("4.mp4"), {.duration = 1.0, .audio = {test::micTone}}),
    };
    RecordingJoiner::join(parts, destination);
    EXPECT_EQ(test::soundTrackTags(destination), (QStringList{QStringLiteral("system"), QStringLiteral("mic")}));

    const QList<double> system = packetTimes(destination, QStringLiteral("a:0"));
    ASSERT_FALSE(system.isEmpty());
    EXPECT_NEAR(system.first(), 1.0, 0.03);
    EXPECT_LT(system.last(), 3.0);

    // The fourth part's only track is its microphone: it joins the mic track.
    const QList<double> mic = packetTimes(destination, QStringLiteral("a:1"));
    ASSERT_FALSE(mic.isEmpty());
    EXPECT_NEAR(mic.first(), 1.0, 0.03);
    const auto resumed = std::find_if(mic.begin(), mic.end(), [](double time) { return time > 3.0; });
    ASSERT_NE(resumed, mic.end());
    EXPECT_NEAR(*resumed, 4.0, 0.03);
    EXPECT_LT(mic.last(), 5.0);
}

TEST_F(RecordingJoinerTest, SoundStaysWithThePicturesAcrossTheSeamsOfManyParts) {
    // Ten parts of lengths that are no whole number of sound frames, as
    // pauses leave them; a player plays the sound frames one after another.
    QList<RecordedVideo> parts;
    for (int number = 0; number < 10; ++number) {
        const QString path = dir.file(QStringLiteral("片段_%1.mp4").arg(number + 1));
        writeFlashAndBeep(path, 8 + number % 3, 25 + 2 * number);
        parts << RecordedVideo{path, RecordedVideoValidation::duration(path), std::nullopt};
    }
    const double seconds = RecordingJoiner::join(parts, destination);
    double recorded = 0;
    for (const RecordedVideo& part : parts) recorded += part.duration;
    EXPECT_NEAR(seconds, recorded, 0.15);

    const QList<double> flashes = flashTimes(destination);
    const QList<double> beeps = beepOnsets(test::decodeSound(destination));
    ASSERT_EQ(flashes.size(), 10);
    ASSERT_EQ(beeps.size(), 10);
    for (qsizetype part = 0; part < 10; ++part)
        EXPECT_NEAR(beeps[part], flashes[part], 0.04) << "part " << part + 1;
    // Nor does the offset creep up part by part within that margin.
    EXPECT_NEAR(beeps[9] - flashes[9], beeps[0] - flashes[0], 0.015);
}

TEST_F(RecordingJoinerTest, APartCutShortContributesOnlyWhatPlays) {
    const RecordedVideo whole = part(QStringLiteral("1.mp4"), {.duration = 2.0, .audio = {test::systemTone}, .fragmented = true});
    const QString cutPath = dir.file(QStringLiteral("2.mp4"));
    test::makeVideo(cutPath, {.duration = 4.0, .audio = {test::systemTone}, .fragmented = true});
    const QList<qint64> keyframes = test::keyframeOffsets(cutPath);
    ASSERT_GE(keyframes.size(), 4);
    test::truncateFile(cutPath, keyframes[2] + 3000);
    const RecordedVideo cut{cutPath, RecordedVideoValidation::duration(cutPath), std::nullopt};
    ASSERT_LT(cut.duration, 2.5);

    const double seconds = RecordingJoiner::join({whole, cut}, destination);
    EXPECT_NEAR(seconds, whole.duration + cut.duration, 0.05);
    EXPECT_LT(packetTimes(destination, QStringLiteral("a:0")).last(), seconds);
}

TEST_F(RecordingJoinerTest, OnePartBecomesASecondNameForItAndCostsNoSpace) {
    const RecordedVideo only = part(QStringLiteral("片段_001.mp4"), {.duration = 1.5, .fragmented = true});
    const QByteArray bytes = test::readFile(only.url);
    FreeSpace::ScopedProbe full([](const QString&) { return std::optional<qint64>(0); });

    EXPECT_NEAR(RecordingJoiner::join({only}, destination), 1.5, 0.05);
    EXPECT_TRUE(std::filesystem::equivalent(only.url.toStdString(), destination.toStdString()));
    EXPECT_EQ(test::readFile(only.url), bytes);
    EXPECT_EQ(joinSentence({only}, destination), QStringLiteral("目标位置已有同名文件，没有覆盖它。"));
}

TEST_F(RecordingJoinerTest, APartOnAnotherDiskIsCopiedOnlyWhenItFits) {
    // A disk of the test's own where it may mount, else /dev/shm where that is one.
    const test::SmallDisk own(64 * 1024 * 1024);
    const QString other = own.mounted() ? own.path() : QStringLiteral("/dev/shm");
    QTemporaryDir elsewhere(other + QStringLiteral("/tavero-joiner-XXXXXX"));
    if (!elsewhere.isValid() ||
        std::filesystem::space(other.toStdString()).capacity == std::filesystem::space(dir.path().toStdString()).capacity)
        TAVERO_SKIP_UNLESS_REQUIRED("no second file system to copy from");
    const QString path = elsewhere.filePath(QStringLiteral("片段_001.mp4"));
    test::makeVideo(path, {.duration = 1.0});
    const RecordedVideo only{path, RecordedVideoValidation::duration(path), std::nullopt};
    const qint64 size = QFileInfo(path).size();
    {
        FreeSpace::ScopedProbe tight([size](const QString&) { return std::optional<qint64>(size + 499'999'999); });
        EXPECT_EQ(joinSentence({only}, destination), QStringLiteral("空间不足以合并片段，请腾出空间。"));
        EXPECT_TRUE(folder().isEmpty());
    }
    EXPECT_NEAR(RecordingJoiner::join({only}, destination), 1.0, 0.05);
    EXPECT_EQ(test::readFile(destination), test::readFile(path));
    EXPECT_EQ(folder(), QStringList{QStringLiteral("录屏.mp4")});
}

TEST_F(RecordingJoinerTest, AJoinThatCannotBeTrustedPublishesNothingAndKeepsEveryPart) {
    const RecordedVideo first = part(QStringLiteral("1.mp4"), {.duration = 1.0, .audio = {test::systemTone}});
    const RecordedVideo second = part(QStringLiteral("2.mp4"), {.duration = 1.0, .audio = {test::systemTone}});
    const qint64 bytes = QFileInfo(first.url).size() + QFileInfo(second.url).size();

    EXPECT_EQ(joinSentence({}, destination), QStringLiteral("没有可保存的录制片段。"));
    {
        FreeSpace::ScopedProbe tight([bytes](const QString&) { return std::optional<qint64>(bytes + 499'999'999); });
        EXPECT_EQ(joinSentence({first, second}, destination), QStringLiteral("空间不足以合并片段，请腾出空间。"));
    }
    // Packets of one coding cannot follow another's: a different size, codec
    // or pixel format, or sound of another rate, is refused.
    const QList<RecordedVideo> unlike{
        part(QStringLiteral("3.mp4"), {.duration = 1.0, .size = {640, 480}, .audio = {test::systemTone}}),
        part(QStringLiteral("4.mp4"), {.duration = 1.0, .codec = QStringLiteral("libx265"), .audio = {test::systemTone}}),
        part(QStringLiteral("5.mp4"), {.duration = 1.0, .pixelFormat = QStringLiteral("yuv444p"), .audio = {test::systemTone}}),
        part(QStringLiteral("6.mp4"), {.duration = 1.0, .audio = {test::systemTone}, .sampleRate = 44100}),
    };
    const QStringList inputs = folder();
    for (const RecordedVideo& other : unlike)
        EXPECT_EQ(joinSentence({first, other}, destination),
                  QStringLiteral("各片段的画面或声音格式不一致，无法直接合并，已保留片段。"))
            << other.url.toStdString();

    RecordedVideo overstated = second;
    overstated.duration += 0.5;
    EXPECT_EQ(joinSentence({first, overstated}, destination), QStringLiteral("合并后的时长不符合预期，已保留片段。"));
    EXPECT_EQ(folder(), inputs);

    test::writeFile(destination, "an earlier video");
    EXPECT_EQ(joinSentence({first, second}, destination), QStringLiteral("目标位置已有同名文件，没有覆盖它。"));
    EXPECT_EQ(test::readFile(destination), QByteArray("an earlier video"));

    // A file that takes the name while the join is writing stays too.
    QFile::remove(destination);
    {
        FreeSpace::ScopedProbe takesTheName([this](const QString&) {
            if (!QFileInfo::exists(destination)) test::writeFile(destination, "another program's video");
            return std::optional<qint64>();
        });
        EXPECT_EQ(joinSentence({first, second}, destination), QStringLiteral("目标位置已有同名文件，没有覆盖它。"));
    }
    EXPECT_EQ(test::readFile(destination), QByteArray("another program's video"));
    EXPECT_EQ(folder(), inputs + QStringList{QStringLiteral("录屏.mp4")});

    QFile::remove(destination);
    FreeSpace::ScopedProbe exact([bytes](const QString&) { return std::optional<qint64>(bytes + 500'000'000); });
    EXPECT_NEAR(RecordingJoiner::join({first, second}, destination), 2.0, 0.05);
}

TEST(RecordingJoinerOnTheEventLoopTest, AnswersOnTheMainThread) {
    test::TempDir dir;
    std::optional<Result<double>> answer;
    RecordingJoiner::inBackground({}, dir.file(QStringLiteral("x.mp4")), [&](Result<double> result) {
        EXPECT_TRUE(QThread::currentThread() == qApp->thread());
        answer = std::move(result);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 30'000));
    EXPECT_EQ(answer->error().message(), QStringLiteral("没有可保存的录制片段。"));
}
