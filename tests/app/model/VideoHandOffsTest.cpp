#include "app/model/AppModel.h"
#include "app/model/FileMessages.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/SkipUnlessRequired.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

// A failure's sentence, as the video pipeline gives it.
const QString pipelineFailure = QStringLiteral("GIF 导出支持 30 秒以内的视频；较长视频请先裁剪。");

// Stands in for the video pipeline: notes each export and answers when the
// test says, on the main thread as the real one does.
struct FakeExports {
    struct Call {
        QString source;
        QString destination;
        double start = -1;
        double end = -1;
        VideoExport::Completion answer;
    };

    VideoExports installed() {
        return {[this](const QString& source, const QString& destination, VideoExport::Completion answer) {
                    calls.push_back({source, destination, -1, -1, std::move(answer)});
                },
                [this](const QString& source, double start, double end, const QString& destination,
                       VideoExport::Completion answer) {
                    calls.push_back({source, destination, start, end, std::move(answer)});
                }};
    }

    // Writes the destination and answers with it.
    void succeed() {
        Call& call = calls.back();
        QFile file(call.destination);
        if (file.open(QIODevice::WriteOnly)) file.write("video");
        file.close();
        call.answer(call.destination);
    }
    void failWith(const QString& sentence) { calls.back().answer(ShotError(sentence)); }

    std::vector<Call> calls;
};

struct VideoHarness : ModelHarness {
    VideoHarness() {
        videoExports = exports.installed();
        QDir().mkpath(library());
    }
    FakeExports exports;
    const QString video = home.path() + QStringLiteral("/录屏.mp4");
};

bool namedInLibrary(const VideoHarness& harness, const QString& path, const QString& pattern) {
    const QFileInfo info(path);
    return info.path() == harness.library() && QRegularExpression(pattern).match(info.fileName()).hasMatch();
}

const QString gifName = QStringLiteral("^动图_\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}_[0-9A-F]{6}\\.gif$");
const QString trimName = QStringLiteral("^裁剪录屏_\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}_[0-9A-F]{6}\\.mp4$");

TEST(VideoHandOffsTest, WithoutAVideoOrWhileBusyNothingIsExported) {
    VideoHarness harness;
    AppModel& model = harness.model();
    model.exportGIF();
    model.trimVideo(0, 10);
    EXPECT_TRUE(harness.exports.calls.empty());

    model.setVideoURL(harness.video);
    model.exportGIF();
    model.exportGIF();
    model.trimVideo(0, 10);
    EXPECT_EQ(harness.exports.calls.size(), 1u) << "one export at a time";
}

TEST(VideoHandOffsTest, AGifIsNamedInTheLibraryAndStaysOutOfTheHistory) {
    VideoHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(harness.video);
    model.exportGIF();
    EXPECT_TRUE(model.busy());
    EXPECT_EQ(model.status(), QStringLiteral("正在导出 GIF…"));
    ASSERT_EQ(harness.exports.calls.size(), 1u);
    const FakeExports::Call call = harness.exports.calls.back();
    EXPECT_EQ(call.source, harness.video);
    EXPECT_TRUE(namedInLibrary(harness, call.destination, gifName)) << call.destination.toStdString();

    harness.exports.succeed();
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.status(), QStringLiteral("GIF 已保存：") + QFileInfo(call.destination).fileName());
    EXPECT_TRUE(model.history().isEmpty());
    EXPECT_EQ(model.videoURL(), harness.video);

    model.exportGIF();
    EXPECT_NE(harness.exports.calls.back().destination, call.destination) << "a new name each time";
    harness.exports.failWith(pipelineFailure);
    EXPECT_EQ(model.error(), pipelineFailure);
    EXPECT_FALSE(model.busy());
}

// "GIF 已保存：…" speaks of the video shown: it gives way once another video
// is opened, or the video is left, and any later status stays.
TEST(VideoHandOffsTest, TheGifNoteGoesWithItsVideo) {
    VideoHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(harness.video);
    model.exportGIF();
    harness.exports.succeed();
    ASSERT_TRUE(model.status().startsWith(QStringLiteral("GIF 已保存：")));
    model.open(harness.home.path() + QStringLiteral("/另一段.mp4"));
    EXPECT_EQ(model.status(), QStringLiteral("正在打开：另一段.mp4…"));

    model.exportGIF();
    harness.exports.succeed();
    model.setVideoURL(std::nullopt);
    EXPECT_EQ(model.status(), QStringLiteral("准备好了。截图和编辑都在本机完成。"));

    model.setVideoURL(harness.video);
    model.exportGIF();
    harness.exports.succeed();
    model.setStatus(QStringLiteral("已保存 3.9 秒原片。"));
    model.setVideoURL(harness.home.path() + QStringLiteral("/第三段.mp4"));
    EXPECT_EQ(model.status(), QStringLiteral("已保存 3.9 秒原片。")) << "a status set since is not the GIF's";
}

TEST(VideoHandOffsTest, ATrimmedCopyIsShownAndHeadsTheHistoryAndAFailedOneChangesNothing) {
    VideoHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(harness.video);
    model.setStatus(QStringLiteral("before"));
    model.trimVideo(1.5, 7.25);
    EXPECT_TRUE(model.busy());
    EXPECT_EQ(model.status(), QStringLiteral("before")) << "the status waits for the result";
    const FakeExports::Call call = harness.exports.calls.back();
    EXPECT_EQ(call.source, harness.video);
    EXPECT_EQ(call.start, 1.5);
    EXPECT_EQ(call.end, 7.25);
    EXPECT_TRUE(namedInLibrary(harness, call.destination, trimName)) << call.destination.toStdString();

    harness.exports.succeed();
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.videoURL(), call.destination);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.history().isEmpty(); }, 10'000));
    const CaptureRecord record = model.history().front();
    EXPECT_EQ(record.file, QFileInfo(call.destination).fileName());
    EXPECT_EQ(record.kind, CaptureRecord::videoKind);
    EXPECT_EQ(model.status(), QStringLiteral("已保存：") + record.name);

    model.trimVideo(8, 3);
    harness.exports.failWith(pipelineFailure);
    EXPECT_EQ(model.error(), pipelineFailure);
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.videoURL(), call.destination) << "a failed trim keeps the video shown";
    QTest::qWait(50);
    EXPECT_EQ(model.history().size(), 1);
}

// Fills the disk under `path` to its last byte.
void fillUp(const QString& path) {
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
}

// The disk fills up between the trim and its listing: the clip the history
// cannot list leaves the folder again, the workspace goes back to the video
// it was cut from, and the user reads what failed and what became of it.
TEST(VideoHandOffsTest, ATrimThatCannotBeListedLeavesNoFileAndShowsTheVideoItWasCutFrom) {
    VideoHarness harness;
    const test::SmallDisk disk(256 * 1024, harness.home.desktop());
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("mounting a small file system needs root");
    ASSERT_TRUE(QDir().mkpath(harness.library()));
    AppModel& model = harness.model();
    model.setVideoURL(harness.video);
    model.trimVideo(1, 2);
    ASSERT_EQ(harness.exports.calls.size(), 1u);
    const FakeExports::Call call = harness.exports.calls.back();
    test::writeFile(call.destination, "video");
    ASSERT_NO_FATAL_FAILURE(fillUp(disk.path() + QStringLiteral("/filler")));
    call.answer(call.destination);

    ASSERT_TRUE(QTest::qWaitFor([&] { return model.error().has_value(); }, 10'000));
    const QString told = QStringLiteral("磁盘空间不足，无法保存。裁剪的片段未能列入历史，已删除。");
    EXPECT_EQ(model.error(), told);
    EXPECT_EQ(model.status(), told);
    EXPECT_EQ(model.videoURL(), harness.video);
    EXPECT_TRUE(model.history().isEmpty());
    EXPECT_EQ(QDir(harness.library()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList()) << "nothing the library does not list";
}

}  // namespace
