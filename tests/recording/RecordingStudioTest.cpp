#include "platform/MainThread.h"
#include "recording/RecordingMessages.h"
#include "recording/RecordingStudio.h"
#include "recording/VideoExport.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

// Records what the studio does to its model.
class RecordingModel final : public QObject, public RecordingHost {
public:
    QObject* hostObject() override { return this; }
    void setRecording(bool recording) override { calls.push_back(recording ? "recording" : "not recording"); }
    void setRecordingStarting(bool) override { calls.push_back("starting"); }
    void setRecordingDate(std::optional<QDateTime>) override { calls.push_back("date"); }
    void setStatus(const QString& text) override { status = text; }
    void setVideoURL(std::optional<QString>) override { calls.push_back("video"); }
    void fail(const ShotError&) override { calls.push_back("fail"); }
    void saved(const Result<CaptureRecord>&) override { calls.push_back("saved"); }
    void showWindow() override { ++windowShown; }

    std::vector<const char*> calls;
    QString status;
    int windowShown = 0;
};

TEST(RecordingStudioTest, ARecordRequestOpensTheSetupSheetAndClaimsNoRecording) {
    RecordingModel model;
    RecordingStudio studio(model);
    int sheetChanges = 0;
    QObject::connect(&studio, &RecordingStudio::setupVisibleChanged, [&] { ++sheetChanges; });

    studio.toggle(true);
    EXPECT_TRUE(studio.setupVisible());
    EXPECT_EQ(sheetChanges, 1);
    EXPECT_EQ(model.windowShown, 1);
    EXPECT_EQ(studio.phase(), RecordingPhase(Kind::idle));

    studio.togglePause();
    studio.restart();
    studio.stop();
    studio.cancelExport();
    studio.loadProject(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_EQ(studio.phase(), RecordingPhase(Kind::idle));
    EXPECT_FALSE(studio.processing());
    EXPECT_TRUE(model.calls.empty()) << "nothing was recorded, so nothing was reported";
    EXPECT_TRUE(model.status.isEmpty());

    studio.setSetupVisible(false);
    EXPECT_EQ(sheetChanges, 2);
}

TEST(RecordingStudioTest, AStudioWhoseModelIsGoneDoesNothing) {
    auto model = std::make_unique<RecordingModel>();
    RecordingStudio studio(*model);
    model.reset();
    studio.toggle(false);
    EXPECT_FALSE(studio.setupVisible());
}

TEST(VideoExportTest, ExportsAnswerOnceLaterOnTheMainThreadWithTheirSentence) {
    test::TempDir folder;
    std::vector<QString> gifAnswers, trimAnswers;
    VideoExport::gif(folder.file(QStringLiteral("a.mp4")), folder.file(QStringLiteral("a.gif")), [&](Result<QString> result) {
        EXPECT_TRUE(isMainThread());
        gifAnswers.push_back(result.ok() ? result.value() : result.error().message());
    });
    VideoExport::trim(folder.file(QStringLiteral("a.mp4")), 2, 10, folder.file(QStringLiteral("b.mp4")), [&](Result<QString> result) {
        trimAnswers.push_back(result.ok() ? result.value() : result.error().message());
    });
    EXPECT_TRUE(gifAnswers.empty() && trimAnswers.empty()) << "the calls return before they answer";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gifAnswers.empty() && !trimAnswers.empty(); }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(gifAnswers, std::vector<QString>{RecordingMessages::gifNotCreated()});
    EXPECT_EQ(trimAnswers, std::vector<QString>{RecordingMessages::trimImpossible()});
    EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "no file is written";
}

}  // namespace
