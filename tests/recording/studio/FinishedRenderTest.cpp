#include "platform/files/FreeSpace.h"
#include "recording/RecordingDiskSpace.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <future>

#include <gtest/gtest.h>

using namespace tavero;
using Cancelled = SmartVideoExporter::Cancelled;

namespace {

constexpr qint64 rawBytes = 1000;

RecordingEffects zoomOnly() {
    RecordingEffects effects;
    effects.backgroundBlur = false;
    return effects;
}

// A raw recording in the library with its project beside it, opened as the
// current clip of a studio that renders for real through the fake exporter.
class FinishedRenderTest : public testing::Test {
protected:
    FinishedRenderTest() {
        QDir().mkpath(library());
        test::writeFile(raw, QByteArray(rawBytes, 'v'));
        project.sourceFile = QFileInfo(raw).fileName();
        project.targetName = QStringLiteral("全屏 · 1920 × 1080");
        project.duration = 12;
        project.samples = {{1.0, 0.5, 0.5, true, false}};
        project.save(raw);
        studio().rendersForReal = true;
        load(raw);
    }

    test::TestStudio& studio() { return harness.studio(); }
    // A rendered video of the raw recording beside it, made with zoomOnly().
    QString renderedVideo() {
        const QString rendered = library() + QStringLiteral("/讲解成片_1.mp4");
        test::writeFile(rendered, "rendered");
        RecordingProject renderedProject = project;
        renderedProject.effects = zoomOnly();
        renderedProject.save(rendered);
        return rendered;
    }
    // Opens `video` and waits until its project has been read.
    void load(const QString& video) {
        studio().loadProject(video);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !studio().loadingProject(); }, 5000));
    }
    test::FakeSmartVideoExporter& exporter() { return *harness.exporter; }
    QString library() const { return harness.model.localLibrary.root(); }
    QStringList libraryFiles() const { return QDir(library()).entryList(QDir::Files, QDir::Name); }

    std::optional<qint64> freeBytes = 100'000'000'000;
    FreeSpace::ScopedProbe probe{[this](const QString&) { return freeBytes; }};
    test::StudioHarness harness;
    QString raw = library() + QStringLiteral("/录屏_1.mp4");
    RecordingProject project;
};

// Holds the library's queue until released, at the latest when it goes.
class QueueGate {
public:
    explicit QueueGate(LocalLibrary& library) {
        library.runInTurn<Done>(
            [held = held_] {
                held.wait();
                return Done{};
            },
            [](Result<Done>) {}, QString());
    }
    ~QueueGate() { release(); }
    void release() {
        if (released_) return;
        released_ = true;
        release_.set_value();
    }

private:
    std::promise<void> release_;
    std::shared_future<void> held_ = release_.get_future().share();
    bool released_ = false;
};

}  // namespace

// A project holds the pointer track of the whole take, tens of megabytes for
// hours: it is read on the library's queue while the main thread answers.
TEST_F(FinishedRenderTest, AProjectIsReadOffTheMainThreadAndTheLatestOpenedVideoWins) {
    const QString rendered = renderedVideo();

    QueueGate gate(harness.model.localLibrary);
    studio().loadProject(rendered);
    EXPECT_TRUE(studio().loadingProject());
    EXPECT_FALSE(studio().currentOutputURL()) << "the clip stays as it was until the project is read";
    bool answered = false;
    postToMain([&] { answered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 5000));
    EXPECT_FALSE(studio().currentOutputURL()) << "the main thread answers while the read waits";
    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingProject(); }, 5000));
    EXPECT_EQ(studio().currentOutputURL(), rendered);
    EXPECT_EQ(studio().effects(), zoomOnly());

    QueueGate secondGate(harness.model.localLibrary);
    studio().loadProject(raw);
    studio().loadProject(rendered);
    studio().loadProject(raw);
    secondGate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingProject(); }, 5000));
    EXPECT_FALSE(studio().currentOutputURL()) << "the video opened last";
    EXPECT_EQ(studio().effects(), RecordingEffects());
}

TEST_F(FinishedRenderTest, ARenderAskedWhileTheProjectIsReadWaitsForIt) {
    const QString rendered = renderedVideo();

    QueueGate gate(harness.model.localLibrary);
    studio().loadProject(rendered);
    studio().render();
    EXPECT_TRUE(exporter().renders.empty()) << "not with the project of the video shown before";
    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !exporter().renders.empty(); }, 5000));
    EXPECT_EQ(exporter().renders[0].source, raw);
    EXPECT_EQ(exporter().renders[0].project.effects, zoomOnly());
}

TEST_F(FinishedRenderTest, AnOpenedVideoFindsItsRawRecordingOnlyAsAFileBesideIt) {
    EXPECT_EQ(studio().currentProject(), project);
    EXPECT_EQ(studio().currentRawURL(), raw);
    EXPECT_FALSE(studio().currentOutputURL()) << "the opened file is the raw recording";

    const QString rendered = renderedVideo();
    load(rendered);
    EXPECT_EQ(studio().currentRawURL(), raw);
    EXPECT_EQ(studio().currentOutputURL(), rendered);
    EXPECT_EQ(studio().effects(), zoomOnly());

    // A sidecar naming a file elsewhere is no project at all.
    for (const char* name : {"../录屏_1.mp4", "/tmp/录屏_1.mp4", ".."}) {
        const QString opened = library() + QStringLiteral("/别处.mp4");
        QByteArray json = encodeRecordingProject(project);
        json.replace(QFileInfo(raw).fileName().toUtf8(), QByteArray(name));
        test::writeFile(RecordingProject::sidecar(opened), json);
        load(opened);
        EXPECT_FALSE(studio().currentProject()) << name;
        EXPECT_FALSE(studio().currentRawURL()) << name;
        EXPECT_EQ(studio().currentOutputURL(), opened);
        EXPECT_EQ(studio().effects(), zoomOnly()) << "the effects stay as they were";
    }
    RecordingProject elsewhere = project;
    elsewhere.backgroundFile = QStringLiteral("../背景.png");
    QByteArray json = encodeRecordingProject(elsewhere);
    test::writeFile(RecordingProject::sidecar(rendered), json);
    load(rendered);
    EXPECT_FALSE(studio().currentProject()) << "nor is one naming its background elsewhere";

    load(raw);
    studio().setProcessing(true);
    load(rendered);
    EXPECT_EQ(studio().currentRawURL(), raw) << "the clip of a running render stays";
}

TEST_F(FinishedRenderTest, ARenderThatDoesNotFitOrHasNothingToRenderDoesNotStart) {
    freeBytes = 3'000'000'000 + 3 * rawBytes - 1;
    studio().render();
    EXPECT_EQ(harness.model.status, RecordingDiskSpace::exportIssue(freeBytes, rawBytes));
    EXPECT_FALSE(studio().processing());
    EXPECT_TRUE(exporter().renders.empty());
    EXPECT_EQ(libraryFiles(), (QStringList{QStringLiteral("录屏_1.mp4"), QStringLiteral("录屏_1.recording.json")}));

    RecordingProject baked = project;
    baked.portraitBaked = true;
    baked.save(raw);
    load(raw);
    freeBytes = 100'000'000'000;
    studio().render();
    EXPECT_EQ(harness.model.status, QStringLiteral("这段视频已包含人像和画面效果，可直接裁剪或导出。"));
    EXPECT_TRUE(exporter().renders.empty());

    project.save(raw);
    load(raw);
    QFile::remove(raw);
    studio().render();
    ASSERT_TRUE(harness.model.failure);
    EXPECT_EQ(harness.model.failure->message(), QStringLiteral("找不到原始录屏文件，无法重新生成。"));
    EXPECT_TRUE(exporter().renders.empty());
    EXPECT_FALSE(studio().processing());
}

TEST_F(FinishedRenderTest, ACancelledStoppedOrFailedRenderKeepsTheRawRecordingAndSaysWhy) {
    freeBytes = 3'000'000'000 + 3 * rawBytes;
    studio().render();
    ASSERT_EQ(exporter().renders.size(), 1u);
    EXPECT_TRUE(studio().processing());
    EXPECT_EQ(harness.model.status, QStringLiteral("原片已保存，正在生成自动运镜与外侧柔焦背景…"));
    EXPECT_EQ(exporter().renders[0].source, raw);
    EXPECT_TRUE(QFileInfo(exporter().renders[0].destination).fileName().startsWith(QStringLiteral("讲解成片_")));
    EXPECT_EQ(QFileInfo(exporter().renders[0].destination).path(), library());
    studio().render();
    EXPECT_EQ(exporter().renders.size(), 1u) << "one render at a time";

    studio().cancelExport();
    EXPECT_EQ(exporter().cancels, 1);
    exporter().finished(Cancelled{});
    EXPECT_FALSE(studio().processing());
    EXPECT_EQ(harness.model.status, QStringLiteral("已取消成片生成，原始录屏已保留。"));
    EXPECT_TRUE(QFileInfo::exists(raw));
    EXPECT_EQ(studio().currentRawURL(), raw);
    EXPECT_FALSE(studio().currentOutputURL());

    // Free space is read 2 s apart at most, and never for the last report.
    studio().render();
    freeBytes = 1'000'000'000;
    exporter().progressed(0.2);
    harness.clock.advance(Seconds(1.5));
    exporter().progressed(0.4);
    harness.clock.advance(Seconds(1.5));
    exporter().progressed(1.0);
    EXPECT_EQ(exporter().cancels, 1);
    EXPECT_EQ(studio().progress(), 1.0);
    exporter().progressed(0.6);
    EXPECT_EQ(exporter().cancels, 2);
    exporter().finished(Cancelled{});
    EXPECT_EQ(harness.model.status, QStringLiteral("磁盘空间不足，已停止生成成片。原片已保留，腾出空间后可重新生成。"));

    freeBytes = 100'000'000'000;
    studio().render();
    EXPECT_EQ(studio().progress(), 0.0);
    exporter().finished(ShotError(QStringLiteral("写入成片时出错。")));
    EXPECT_EQ(harness.model.status, QStringLiteral("成片未完成，原片已保留：写入成片时出错。"));
    EXPECT_TRUE(QFileInfo::exists(raw));
    EXPECT_FALSE(harness.model.failure) << "no alert";
}

TEST_F(FinishedRenderTest, AFinishedRenderIsShownAddedAndBothFilesCarryTheProjectWithTheEffectsUsed) {
    studio().setEffects(zoomOnly());
    studio().render();
    ASSERT_EQ(exporter().renders.size(), 1u);
    EXPECT_EQ(exporter().renders[0].project.effects, zoomOnly());
    const QString output = exporter().renders[0].destination;
    test::writeFile(output, "rendered");
    const int shown = harness.model.windowShown;
    exporter().finished(output);
    EXPECT_FALSE(studio().processing());
    EXPECT_EQ(studio().currentOutputURL(), output);
    EXPECT_EQ(harness.model.videoURL(), output);
    EXPECT_EQ(harness.model.windowShown, shown + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.model.savedCount == 1; }, 5000));
    for (const QString& video : {output, raw}) {
        const std::optional<RecordingProject> saved = RecordingProject::load(video);
        ASSERT_TRUE(saved) << video.toStdString();
        EXPECT_EQ(saved->effects, zoomOnly());
        EXPECT_EQ(saved->sourceFile, QFileInfo(raw).fileName());
        EXPECT_EQ(saved->samples, project.samples);
    }
    EXPECT_TRUE(harness.model.status.startsWith(QStringLiteral("已保存：讲解成片_")));

    studio().setEffects(RecordingEffects());
    load(output);
    EXPECT_EQ(studio().effects(), zoomOnly()) << "reopening restores the effects used";
    EXPECT_EQ(studio().currentRawURL(), raw);
}
