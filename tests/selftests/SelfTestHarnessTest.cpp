#include "platform/ShotError.h"
#include "selftests/SelfTestRun.h"
#include "selftests/SelfTests.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>

using namespace tavero;
using namespace tavero::selftests;

namespace {

// What one run printed on each stream, its status, and the work folder it used.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

QString lastWorkFolder;
bool laterGroupRan = false;

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (const std::size_t read = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, read);
    return text;
}

Outcome runGroups(const std::vector<CheckGroup>& groups) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), std::fclose), err(std::tmpfile(), std::fclose);
    lastWorkFolder.clear();
    laterGroupRan = false;
    Outcome outcome;
    outcome.status = runSelfTestGroups(groups, out.get(), err.get());
    outcome.out = contents(out.get());
    outcome.err = contents(err.get());
    return outcome;
}

void passTwiceLeavingAFile(SelfTestRun& run) {
    lastWorkFolder = run.workFolder();
    QFile file(run.workFile(QStringLiteral("redaction.png")));
    run.check(file.open(QIODevice::WriteOnly) && file.write("x") == 1, QStringLiteral("work folder takes files"));
    run.check(true, QStringLiteral("second"));
}

void failOnTheSecondCheck(SelfTestRun& run) {
    lastWorkFolder = run.workFolder();
    run.check(true, QStringLiteral("before"));
    run.check(false, QStringLiteral("forced failure"));
    run.check(true, QStringLiteral("after"));
}

void throwAnError(SelfTestRun& run) {
    run.check(true, QStringLiteral("before"));
    throw ShotError(QStringLiteral("无法生成图片。"));
}

void noteThatItRan(SelfTestRun& run) {
    laterGroupRan = true;
    run.check(true, QStringLiteral("later group"));
}

}  // namespace

TEST(SelfTestHarness, ForcedFailurePrintsOneLineOnStandardErrorAndCleansUp) {
    const Outcome outcome = runGroups({failOnTheSecondCheck, noteThatItRan});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "PASS: before\n");
    EXPECT_EQ(outcome.err, "FAIL: forced failure\n");
    EXPECT_FALSE(laterGroupRan);
    ASSERT_FALSE(lastWorkFolder.isEmpty());
    EXPECT_FALSE(QDir(lastWorkFolder).exists());
}

TEST(SelfTestHarness, SuccessCountsEveryCheckAndRemovesTheWorkFolder) {
    const Outcome outcome = runGroups({passTwiceLeavingAFile, noteThatItRan});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "PASS: work folder takes files\nPASS: second\nPASS: later group\nALL 3 TESTS PASSED\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_FALSE(QDir(lastWorkFolder).exists());
}

TEST(SelfTestHarness, AnErrorOfTheCodeUnderTestEndsTheRunWithItsSentence) {
    const Outcome outcome = runGroups({throwAnError, noteThatItRan});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "PASS: before\n");
    EXPECT_EQ(outcome.err, "无法生成图片。\n");
    EXPECT_FALSE(laterGroupRan);
}

TEST(SelfTestHarness, EachRunHasItsOwnWorkFolderInTheTemporaryFolder) {
    runGroups({passTwiceLeavingAFile});
    const QString first = lastWorkFolder;
    runGroups({passTwiceLeavingAFile});
    EXPECT_NE(first, lastWorkFolder);
    const QFileInfo folder(lastWorkFolder);
    EXPECT_EQ(folder.absolutePath(), QDir(QDir::tempPath()).absolutePath());
    const QRegularExpression name(QStringLiteral("^Vistagon-tests-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"));
    EXPECT_TRUE(name.match(folder.fileName()).hasMatch()) << folder.fileName().toStdString();
}

TEST(SelfTestHarness, AnUncreatableWorkFolderFailsTheRun) {
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
    qputenv("TMPDIR", "/proc");  // no folder can be made there, even by root
    const Outcome outcome = runGroups({noteThatItRan});
    if (saved) qputenv("TMPDIR", *saved);
    else qunsetenv("TMPDIR");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_FALSE(laterGroupRan);
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}
