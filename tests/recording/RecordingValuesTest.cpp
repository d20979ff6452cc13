#include "recording/RecordingPhase.h"
#include "recording/RecordingScope.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tavero;
using Kind = RecordingPhase::Kind;

TEST(RecordingPhaseTest, EveryPhaseAnswersWhatTheControlsAsk) {
    struct Row {
        RecordingPhase phase;
        bool occupied, canPauseOrResume, hasRecorded;
        const char* pauseTitle;
    };
    const std::vector<Row> table{
        {RecordingPhase::countdown(0), true, false, false, "暂停"},
        {RecordingPhase::countdown(3), true, false, false, "暂停"},
        {Kind::idle, false, false, false, "暂停"},
        {Kind::starting, true, false, false, "暂停"},
        {Kind::recording, true, true, true, "暂停"},
        {Kind::pausing, true, false, true, "暂停中…"},
        {Kind::paused, true, true, true, "继续录制"},
        {Kind::resuming, true, false, true, "继续中…"},
        {Kind::stopping, true, false, false, "暂停"},
        {Kind::restarting, true, false, false, "暂停"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(int(row.phase.kind()));
        EXPECT_EQ(row.phase.occupied(), row.occupied);
        EXPECT_EQ(row.phase.canPauseOrResume(), row.canPauseOrResume);
        EXPECT_EQ(row.phase.hasRecorded(), row.hasRecorded);
        EXPECT_EQ(row.phase.pauseTitle(), QString::fromUtf8(row.pauseTitle));
    }
}

TEST(RecordingPhaseTest, CountdownsAreEqualOnlyWithEqualSecondsAndNeverIdle) {
    EXPECT_EQ(RecordingPhase::countdown(3), RecordingPhase::countdown(3));
    EXPECT_NE(RecordingPhase::countdown(3), RecordingPhase::countdown(2));
    EXPECT_NE(RecordingPhase::countdown(0), RecordingPhase(Kind::idle));
}

TEST(RecordingScopeTest, ReadsBackExactlyItsOwnLabels) {
    for (RecordingScope scope : allRecordingScopes) EXPECT_EQ(recordingScopeFromRaw(rawValue(scope)), scope);
    EXPECT_EQ(recordingScopeFromRaw(QStringLiteral("全屏")), RecordingScope::display);
    EXPECT_FALSE(recordingScopeFromRaw(QStringLiteral("全屏 ")));
    EXPECT_FALSE(recordingScopeFromRaw(QString()));
}
