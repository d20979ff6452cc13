#include "platform/MainThread.h"
#include "recording/RecordingMessages.h"
#include "recording/VideoExport.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace tavero;

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
