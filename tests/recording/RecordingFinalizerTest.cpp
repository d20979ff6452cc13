#include "recording/RecordedVideoValidation.h"
#include "recording/RecordingFinalizer.h"
#include "recording/RecordingMessages.h"
#include "tests/support/Files.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace tavero;
using namespace std::chrono_literals;

namespace {

QString validationSentence(const QString& path, const media::CancelToken& cancel = {}) {
    try {
        RecordedVideoValidation::duration(path, cancel);
    } catch (const ShotError& error) {
        return error.message();
    }
    return QStringLiteral("validated");
}

// A finaliser on manual time whose validation answers when the test says.
class RecordingFinalizerTest : public testing::Test {
protected:
    RecordingFinalizerTest() {
        finalizer = std::make_unique<RecordingFinalizer>(
            part, [this](Result<RecordedVideo> result) { results.push_back(std::move(result)); },
            [this](const QString& path, media::CancelToken cancel, std::function<void(Result<double>)> answer) {
                EXPECT_EQ(path, part);
                checks.push_back({std::move(cancel), std::move(answer)});
            },
            time);
    }

    struct Check {
        media::CancelToken cancel;
        std::function<void(Result<double>)> answer;
    };

    QString failure() const {
        return results.size() == 1 && !results[0] ? results[0].error().message() : QStringLiteral("no single failure");
    }

    test::TempDir dir;
    const QString part = dir.file(QStringLiteral("片段_001.mp4"));
    test::ManualScheduler time;
    std::vector<Check> checks;
    std::vector<Result<RecordedVideo>> results;
    std::unique_ptr<RecordingFinalizer> finalizer;
};

}  // namespace

TEST(RecordedVideoValidationTest, AnswersEveryFileWithoutACompleteVideoWithOneSentence) {
    test::TempDir dir;
    const QString whole = dir.file(QStringLiteral("whole.mp4"));
    test::makeVideo(whole, {.duration = 2.0, .audio = {test::systemTone}});
    EXPECT_NEAR(RecordedVideoValidation::duration(whole), 2.0, 0.05);
    const QString blink = dir.file(QStringLiteral("blink.mp4"));
    test::makeVideo(blink, {.duration = 0.05});
    EXPECT_GT(RecordedVideoValidation::duration(blink), 0);
    EXPECT_LT(RecordedVideoValidation::duration(blink), 0.1);

    const QString cut = dir.file(QStringLiteral("cut.mp4"));
    test::makeVideo(cut, {.duration = 2.0, .truncateAt = 20'000});
    const QString voice = dir.file(QStringLiteral("voice.mp4"));
    test::makeVideo(voice, {.codec = {}, .audio = {test::micTone}});
    // A part whose writer died before its first fragment: a header, no pictures.
    const QString unstarted = dir.file(QStringLiteral("unstarted.mp4"));
    test::makeVideo(unstarted, {.duration = 1.0, .fragmented = true});
    test::truncateFile(unstarted, test::readFile(unstarted).indexOf("moof") - 4);
    test::writeFile(dir.file(QStringLiteral("empty.mp4")), {});
    test::writeFile(dir.file(QStringLiteral("notes.mp4")), "not a video at all");
    for (const QString& file : {dir.file(QStringLiteral("missing.mp4")), dir.file(QStringLiteral("empty.mp4")),
                                dir.file(QStringLiteral("notes.mp4")), cut, voice, unstarted})
        EXPECT_EQ(validationSentence(file), QStringLiteral("文件中没有完整的视频画面。")) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(cut) && QFileInfo::exists(voice) && QFileInfo::exists(unstarted));

    media::CancelToken cancel;
    cancel.cancel();
    EXPECT_EQ(validationSentence(whole, cancel), QStringLiteral("录屏文件校验超时。"));
}

TEST_F(RecordingFinalizerTest, TheEarliestWriterDeadlineStandsAndItsMessageIsTheInterruption) {
    finalizer->waitForWriter(25, QStringLiteral("停止超时。"));
    time.advance(1s);
    finalizer->waitForWriter(8, QStringLiteral("中断超时。"));
    finalizer->waitForWriter(20, QStringLiteral("更晚。"));
    time.advance(7.9s);
    EXPECT_TRUE(checks.empty());
    time.advance(0.2s);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(finalizer->interruption(), QStringLiteral("中断超时。"));
    checks[0].answer(3.5);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].value(), (RecordedVideo{part, 3.5, QStringLiteral("中断超时。")}));
    EXPECT_EQ(time.pending(), 0);
}

TEST_F(RecordingFinalizerTest, ValidatesOnceAndDeliversOnceWithTheFirstInterruption) {
    finalizer->noteInterruption(QStringLiteral("磁盘空间不足。"));
    finalizer->writerFinished();
    finalizer->writerFinished();
    finalizer->waitForWriter(1, QStringLiteral("超时。"));
    finalizer->noteInterruption(QStringLiteral("又一次中断。"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(time.pending(), 1);  // the watchdog alone

    test::writeFile(part, "half a part");
    checks[0].answer(ShotError(QStringLiteral("文件中没有完整的视频画面。")));
    EXPECT_TRUE(checks[0].cancel.cancelled());
    EXPECT_EQ(failure(), QStringLiteral("磁盘空间不足。\n现有文件已保留，尚未确认可以播放：\n") + part);
    checks[0].answer(2.0);
    finalizer->noteInterruption(QStringLiteral("完成之后。"));
    time.advance(60s);
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(finalizer->interruption(), QStringLiteral("磁盘空间不足。"));
}

TEST_F(RecordingFinalizerTest, TheWatchdogFailsASlowValidationAndALateSuccessStaysAFailure) {
    finalizer->writerFinished();
    time.advance(14.9s);
    EXPECT_TRUE(results.empty());
    time.advance(0.1s);
    EXPECT_EQ(failure(), QStringLiteral("录屏文件校验超时。\n本次没有生成可播放的录屏文件。"));
    EXPECT_TRUE(checks[0].cancel.cancelled());
    checks[0].answer(2.0);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(RecordingFinalizerTest, ADroppedFinaliserAbandonsItsValidationAndNeverAnswers) {
    finalizer->waitForWriter(8, QStringLiteral("超时。"));
    time.advance(8s);
    ASSERT_EQ(checks.size(), 1u);
    finalizer.reset();
    EXPECT_TRUE(checks[0].cancel.cancelled());
    checks[0].answer(2.0);
    time.advance(30s);
    EXPECT_TRUE(results.empty());
}

TEST(RecordingFinalizerOnTheEventLoopTest, ValidatesARealPartOffTheMainThread) {
    test::TempDir dir;
    const QString part = dir.file(QStringLiteral("片段_001.mp4"));
    test::makeVideo(part, {.duration = 2.0, .audio = {test::systemTone}, .fragmented = true});
    std::vector<Result<RecordedVideo>> results;
    std::unique_ptr<RecordingFinalizer> finalizer;
    finalizer = std::make_unique<RecordingFinalizer>(part, [&](Result<RecordedVideo> result) {
        results.push_back(std::move(result));
        finalizer.reset();  // the usual owner lets go as soon as it has the part
    });
    finalizer->writerFinished();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.empty(); }, 30'000));
    ASSERT_TRUE(results[0]);
    EXPECT_NEAR(results[0].value().duration, 2.0, 0.05);
    EXPECT_EQ(results[0].value().interruption, std::nullopt);
}
