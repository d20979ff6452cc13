#include "platform/files/FreeSpace.h"
#include "recording/RecordingSession.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace tavero;

namespace {

// What a test sees of one writer: where it writes, how it was stopped, and
// the callbacks the session gave it, kept so they can be called late, after
// the writer itself is gone.
struct WriterProbe {
    QString path;
    double elapsed = 0;
    QList<std::optional<QString>> stops;
    bool stopBreaks = false;  // stop() throws an exception that is no ShotError
    std::function<void()> started;
    std::function<void()> stopping;
    std::function<void(Result<RecordedVideo>)> finished;
};

class ScriptedWriter final : public RecordingSegmentWriting {
public:
    ScriptedWriter(std::shared_ptr<WriterProbe> probe, std::optional<QString> refusal, bool broken)
        : probe_(std::move(probe)), refusal_(std::move(refusal)), broken_(broken) {}

    QSize videoSize() const override { return {1280, 720}; }
    double elapsed() const override { return probe_->elapsed; }
    void start(const QString& path) override {
        probe_->path = path;
        if (refusal_) throw ShotError(*refusal_);
        if (broken_) throw std::runtime_error("encoder vanished");
        probe_->started = onStarted;
        probe_->stopping = onStopping;
        probe_->finished = onFinished;
    }
    void stop(const std::optional<QString>& reason) override {
        probe_->stops.append(reason);
        if (probe_->stopBreaks) throw std::runtime_error("muxer gone");
    }

private:
    std::shared_ptr<WriterProbe> probe_;
    std::optional<QString> refusal_;
    bool broken_;
};

struct Join {
    QList<RecordedVideo> parts;
    QString destination;
    RecordingSession::Answer answer;
};

class RecordingSessionTest : public testing::Test {
protected:
    RecordingSessionTest() {
        session.setAssemble([this](QList<RecordedVideo> parts, QString destination, RecordingSession::Answer answer) {
            joins.push_back({std::move(parts), std::move(destination), std::move(answer)});
        });
        session.onStarted = [this] { events.push_back("started"); };
        session.onPaused = [this] { events.push_back("paused"); };
        session.onStopping = [this] { events.push_back("stopping"); };
        session.onFinished = [this](Result<RecordedVideo> result) {
            events.push_back("finished");
            results.push_back(std::move(result));
        };
    }

    RecordingSession::Factory factory() {
        return [this] {
            writers.push_back(std::make_shared<WriterProbe>());
            std::optional<QString> refusal;
            if (!refusals.empty()) refusal = refusals.front(), refusals.pop_front();
            const bool broken = brokenStarts > 0;
            if (broken) --brokenStarts;
            return std::make_unique<ScriptedWriter>(writers.back(), refusal, broken);
        };
    }

    WriterProbe& writer() { return *writers.back(); }

    // The current writer has begun writing and recorded `seconds`.
    void record(double seconds) {
        writer().started();
        writer().elapsed = seconds;
    }
    // The current writer delivers its part.
    void deliver(double seconds, std::optional<QString> interruption = std::nullopt) {
        test::writeFile(writer().path, "part");
        writer().finished(RecordedVideo{writer().path, seconds, std::move(interruption)});
    }
    void beginTake() { session.begin(destination, factory()); }

    RecordedVideo result() const {
        return results.size() == 1 && results[0] ? results[0].value() : RecordedVideo{QStringLiteral("no single video"), 0, std::nullopt};
    }
    QString failure() const {
        return results.size() == 1 && !results[0] ? results[0].error().message() : QStringLiteral("no single failure");
    }
    QString partsFolder() const { return dir.file(QStringLiteral("录制片段_take")); }

    test::TempDir dir;
    const QString destination = dir.file(QStringLiteral("take.mp4"));
    FreeSpace::ScopedProbe roomy{[](const QString&) { return std::optional<qint64>(100'000'000'000); }};
    RecordingSession session;
    std::vector<std::shared_ptr<WriterProbe>> writers;
    std::deque<QString> refusals;
    int brokenStarts = 0;  // the next writers' start() throws an exception that is no ShotError
    std::vector<Join> joins;
    std::vector<std::string> events;
    std::vector<Result<RecordedVideo>> results;
};

}  // namespace

TEST_F(RecordingSessionTest, PausedAndResumedTwiceATakeIsThreePartsJoinedIntoOneVideo) {
    beginTake();
    EXPECT_EQ(session.state(), RecordingSessionState::starting);
    EXPECT_EQ(test::readFile(QDir(partsFolder()).filePath(QStringLiteral("恢复说明.txt"))),
              QStringLiteral("录制进行中。暂停期间不录制画面和声音。正常结束后，片段会自动接成完整视频并清理此文件夹。\n"
                             "如录制或合并意外中断，这里的各段 MP4 可以单独播放，请勿在录制时删除。\n")
                  .toUtf8());

    const double lengths[] = {2.0, 3.0, 1.5};
    for (int part = 0; part < 3; ++part) {
        EXPECT_EQ(writer().path, QDir(partsFolder()).filePath(RecordingSession::partFileName(part + 1)));
        record(lengths[part]);
        EXPECT_EQ(session.state(), RecordingSessionState::recording);
        EXPECT_EQ(session.videoSize(), QSize(1280, 720));
        if (part == 2) break;
        const double before = session.elapsed();
        session.pause();
        EXPECT_EQ(writer().stops, QList<std::optional<QString>>{std::nullopt});
        writer().elapsed += 0.4;  // the closing part's clock runs on; the take's does not
        EXPECT_DOUBLE_EQ(session.elapsed(), before);
        deliver(lengths[part]);
        EXPECT_EQ(session.state(), RecordingSessionState::paused);
        EXPECT_DOUBLE_EQ(session.elapsed(), before);
        session.resume();
    }
    EXPECT_DOUBLE_EQ(session.elapsed(), 6.5);
    session.stop();
    deliver(1.5);
    EXPECT_EQ(session.state(), RecordingSessionState::finishing);
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].destination, destination);
    ASSERT_EQ(joins[0].parts.size(), 3);
    EXPECT_TRUE(joins[0].parts[2].url.endsWith(QStringLiteral("/片段_003.mp4")));
    EXPECT_TRUE(QFileInfo::exists(partsFolder()));

    joins[0].answer(6.48);
    EXPECT_EQ(result(), (RecordedVideo{destination, 6.48, std::nullopt}));
    EXPECT_EQ(session.state(), RecordingSessionState::idle);
    EXPECT_FALSE(QFileInfo::exists(partsFolder()));
    EXPECT_EQ(events, (std::vector<std::string>{"started", "paused", "started", "paused", "started", "stopping",
                                                "stopping", "finished"}));
}

TEST_F(RecordingSessionTest, StoppedWhilePausedTheTakeJoinsWithoutAskingAWriter) {
    beginTake();
    record(2.0);
    session.pause();
    deliver(2.0);
    session.stop(QStringLiteral("可用空间不足。"));
    EXPECT_EQ(writers.size(), 1u);
    EXPECT_EQ(writer().stops.size(), 1);
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].parts.size(), 1);
    session.stop();
    joins[0].answer(2.0);
    EXPECT_EQ(result(), (RecordedVideo{destination, 2.0, QStringLiteral("可用空间不足。")}));
}

TEST_F(RecordingSessionTest, APartEndingByItselfEndsTheTakeAndItsInterruptionOutlivesAStopWithoutReason) {
    beginTake();
    record(4.0);
    writer().stopping();
    EXPECT_EQ(session.state(), RecordingSessionState::stopping);
    EXPECT_DOUBLE_EQ(session.elapsed(), 4.0);
    session.stop();
    deliver(4.0, QStringLiteral("录制提前结束，已保存结束前的内容。"));
    joins.at(0).answer(4.0);
    EXPECT_EQ(result().interruption, QStringLiteral("录制提前结束，已保存结束前的内容。"));
    EXPECT_EQ(events, (std::vector<std::string>{"started", "stopping", "stopping", "finished"}));

    // A pause whose part reports an interruption ends the take; a stop with a
    // reason replaces the part's.
    results.clear();
    beginTake();
    record(2.0);
    session.pause();
    session.stop(QStringLiteral("用户停止。"));
    EXPECT_EQ(writer().stops, (QList<std::optional<QString>>{std::nullopt, QStringLiteral("用户停止。")}));
    deliver(2.0, QStringLiteral("系统未及时确认保存完成，已检查现有录屏文件。"));
    joins.at(1).answer(2.0);
    EXPECT_EQ(result().interruption, QStringLiteral("系统未及时确认保存完成，已检查现有录屏文件。"));
}

TEST_F(RecordingSessionTest, AFailedPartResumeOrJoinKeepsThePartsFolder) {
    // A later part fails: the earlier ones are joined, the folder stays.
    beginTake();
    record(2.0);
    session.pause();
    deliver(2.0);
    session.resume();
    writer().finished(ShotError(QStringLiteral("文件中没有完整的视频画面。")));
    ASSERT_EQ(joins.size(), 1u);
    joins[0].answer(2.0);
    EXPECT_EQ(result().interruption, QStringLiteral("本段录制中断：文件中没有完整的视频画面。"));
    EXPECT_TRUE(QFileInfo::exists(partsFolder()));

    // A refused resume uses up its part number, ends the take, keeps the folder.
    QDir(partsFolder()).removeRecursively();
    results.clear();
    beginTake();
    record(2.0);
    session.pause();
    deliver(2.0);
    refusals.push_back(QStringLiteral("可用空间仅 2.9 GB。"));
    session.resume();
    EXPECT_EQ(session.partNumber(), 2);
    ASSERT_EQ(joins.size(), 2u);
    joins[1].answer(2.0);
    EXPECT_EQ(result().interruption, QStringLiteral("继续录制未能启动，已保存暂停前的内容：可用空间仅 2.9 GB。"));
    EXPECT_TRUE(QFileInfo::exists(partsFolder()));

    // A failed join says where the parts are.
    QDir(partsFolder()).removeRecursively();
    results.clear();
    beginTake();
    record(2.0);
    session.stop();
    deliver(2.0);
    joins.at(2).answer(ShotError(QStringLiteral("空间不足以合并片段，请腾出空间。")));
    EXPECT_EQ(failure(), QStringLiteral("未能合并录屏：空间不足以合并片段，请腾出空间。\n已录制的片段仍保留在：\n")
                             + partsFolder());
    EXPECT_TRUE(QFileInfo::exists(writer().path));

    // A first part that fails ends the take with its own error and no join;
    // the folder goes when the part left no file, and stays with one.
    QDir(partsFolder()).removeRecursively();
    results.clear();
    beginTake();
    writer().finished(ShotError(QStringLiteral("录屏启动超时。\n本次没有生成可播放的录屏文件。")));
    EXPECT_EQ(failure(), QStringLiteral("录屏启动超时。\n本次没有生成可播放的录屏文件。"));
    EXPECT_EQ(joins.size(), 3u);
    EXPECT_FALSE(QFileInfo::exists(partsFolder())) << "nothing to recover";
    results.clear();
    beginTake();
    test::writeFile(writer().path, "");
    writer().finished(ShotError(QStringLiteral("录屏文件不完整。\n文件已保留：") + writer().path));
    EXPECT_TRUE(QFileInfo::exists(writer().path));
}

TEST_F(RecordingSessionTest, AWriterFailingWithAnyExceptionEndsTheTakeAsAnInterruption) {
    // A resume whose writer throws something else than a ShotError.
    beginTake();
    record(2.0);
    session.pause();
    deliver(2.0);
    brokenStarts = 1;
    session.resume();
    EXPECT_EQ(session.state(), RecordingSessionState::finishing);
    ASSERT_EQ(joins.size(), 1u);
    joins[0].answer(2.0);
    EXPECT_EQ(result().interruption,
              QStringLiteral("继续录制未能启动，已保存暂停前的内容：无法创建录屏文件，请确认保存位置可以写入。"));
    EXPECT_EQ(session.state(), RecordingSessionState::idle);
    EXPECT_TRUE(QFileInfo::exists(partsFolder()));

    // A writer that throws when asked to pause: the parts so far are joined.
    QDir(partsFolder()).removeRecursively();
    results.clear();
    beginTake();
    record(2.0);
    session.pause();
    deliver(2.0);
    session.resume();
    record(1.0);
    writer().stopBreaks = true;
    session.pause();
    ASSERT_EQ(joins.size(), 2u);
    EXPECT_EQ(joins[1].parts.size(), 1);
    writer().finished(RecordedVideo{writer().path, 1.0, std::nullopt});  // too late: the writer was dropped
    joins[1].answer(2.0);
    EXPECT_EQ(result().interruption, QStringLiteral("本段录制中断：录屏文件未能写完"));
    EXPECT_TRUE(QFileInfo::exists(partsFolder()));

    // The first part's writer throws when stopped: the take fails with that.
    QDir(partsFolder()).removeRecursively();
    results.clear();
    beginTake();
    record(1.0);
    writer().stopBreaks = true;
    session.stop();
    EXPECT_EQ(failure(), QStringLiteral("录屏文件未能写完"));
    EXPECT_EQ(session.state(), RecordingSessionState::idle);
    EXPECT_EQ(joins.size(), 2u);

    // A begin whose writer throws leaves the session idle with a sentence.
    QDir(partsFolder()).removeRecursively();
    brokenStarts = 1;
    try {
        beginTake();
        ADD_FAILURE() << "the take began";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("无法创建录屏文件，请确认保存位置可以写入。"));
    }
    EXPECT_EQ(session.state(), RecordingSessionState::idle);
}

TEST_F(RecordingSessionTest, ABeginThatCannotStartLeavesTheSessionIdle) {
    {
        FreeSpace::ScopedProbe nearlyFull([](const QString&) { return std::optional<qint64>(2'999'999'999); });
        EXPECT_THROW(
            {
                try {
                    beginTake();
                } catch (const ShotError& error) {
                    EXPECT_EQ(error.message(),
                              QStringLiteral("可用空间仅 3.0 GB。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。"));
                    throw;
                }
            },
            ShotError);
        EXPECT_FALSE(QFileInfo::exists(partsFolder()));
    }

    // A take whose first part is refused leaves nothing behind.
    refusals.push_back(QStringLiteral("没有找到麦克风。"));
    EXPECT_THROW(beginTake(), ShotError);
    EXPECT_EQ(session.state(), RecordingSessionState::idle);
    EXPECT_FALSE(QFileInfo::exists(partsFolder()));

    // A folder of that name stands in the way, and stays as it was.
    ASSERT_TRUE(QDir().mkpath(partsFolder()));
    test::writeFile(QDir(partsFolder()).filePath(QStringLiteral("片段_001.mp4")), "earlier");
    EXPECT_THROW(beginTake(), ShotError);
    EXPECT_EQ(session.state(), RecordingSessionState::idle);
    EXPECT_EQ(writers.size(), 1u);
    EXPECT_EQ(test::readFile(QDir(partsFolder()).filePath(QStringLiteral("片段_001.mp4"))), "earlier");

    session.begin(dir.file(QStringLiteral("other.mp4")), factory());
    try {
        beginTake();
        ADD_FAILURE() << "a second take began";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("已有录屏正在进行。"));
    }
    EXPECT_EQ(session.state(), RecordingSessionState::starting);
}

TEST_F(RecordingSessionTest, LateCallbacksOfAnEarlierWriterOrTakeChangeNothing) {
    beginTake();
    record(2.0);
    session.pause();
    deliver(2.0);
    const WriterProbe first = writer();
    // Let the finished writer go, so the next one may well take its address.
    QCoreApplication::processEvents();
    session.resume();
    first.started();
    first.stopping();
    first.finished(RecordedVideo{first.path, 9.0, QStringLiteral("旧片段。")});
    EXPECT_EQ(session.state(), RecordingSessionState::resuming);
    EXPECT_EQ(session.segments().size(), 1);

    record(1.0);
    session.stop();
    deliver(1.0);
    joins.at(0).answer(3.0);
    ASSERT_EQ(results.size(), 1u);

    // The next take ignores the last take's writer and its join.
    session.begin(dir.file(QStringLiteral("next.mp4")), factory());
    const WriterProbe earlier = *writers[1];
    earlier.finished(RecordedVideo{earlier.path, 1.0, std::nullopt});
    earlier.stopping();
    joins[0].answer(ShotError(QStringLiteral("迟到的回答。")));
    EXPECT_EQ(session.state(), RecordingSessionState::starting);
    EXPECT_TRUE(session.segments().isEmpty());
    EXPECT_EQ(results.size(), 1u);
}
