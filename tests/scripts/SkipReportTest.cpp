// What CTest and scripts/test.sh learn of a test that skips: an executable
// whose every case skipped is a skipped test for CTest, a run that may skip
// nothing fails the case with its reason, and the script names every skipped
// case, and every CTest test that did not run, with the reason.
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

constexpr int finishMs = 60'000;

struct Finished {
    int exitCode = -1;
    QString output;
};

Finished run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(finishMs) || process.exitStatus() != QProcess::NormalExit) return {};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// The cases of SkippingTests.cpp that match `filter`; GoogleTest's report goes
// to `report` when given. The run's own TAVERO_TESTS_REQUIRE_ALL and report
// are not passed on.
Finished runSkippingTests(const QString& filter, bool everythingRequired, const QString& report = QString()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GTEST_OUTPUT"));
    environment.insert(QStringLiteral("TAVERO_TESTS_REQUIRE_ALL"), everythingRequired ? "1" : "0");
    if (!report.isEmpty()) environment.insert(QStringLiteral("GTEST_OUTPUT"), QStringLiteral("xml:") + report);
    return run(QStringLiteral(TAVERO_SKIPPING_TESTS), {QStringLiteral("--gtest_filter=") + filter}, environment);
}

QStringList namedSkips(const QString& results) {
    const Finished listing = run(QStringLiteral("python3"), {QStringLiteral(TAVERO_SKIPPED_TESTS_SCRIPT), results},
                                 QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(listing.exitCode, 0) << listing.output.toStdString();
    return listing.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

const QString skipping = QStringLiteral("SkippingTests.WithoutItsServerItSkips");

// CTest's report (--output-junit) of a run of four tests: one passed, two
// skipped (one ran its executable, one could not start its X server).
const QByteArray ctestReport = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="(empty)" tests="4" failures="0" disabled="0" skipped="2" hostname="" time="3">
	<testcase name="both_test" classname="both_test" time="0.5" status="run">
		<system-out>[  PASSED  ] 1 test.
</system-out>
	</testcase>
	<testcase name="skipping_test" classname="skipping_test" time="0.5" status="notrun">
		<skipped message="SKIP_RETURN_CODE=77"/>
		<system-out>[  SKIPPED ] SkippingTests.WithoutItsServerItSkips
</system-out>
	</testcase>
	<testcase name="no_display_test" classname="no_display_test" time="0.1" status="notrun">
		<skipped message="SKIP_RETURN_CODE=77"/>
		<system-out>x11-session: Xvfb is not installed; skipping
</system-out>
	</testcase>
	<testcase name="passing_test" classname="passing_test" time="0.1" status="run">
		<system-out>[  PASSED  ] 3 tests.
</system-out>
	</testcase>
</testsuite>
)xml";

TEST(SkipReportTest, AnExecutableIsSkippedForCTestOnlyWhenEveryCaseItRanSkipped) {
    EXPECT_EQ(runSkippingTests(skipping, false).exitCode, 77);
    EXPECT_EQ(runSkippingTests(QStringLiteral("*"), false).exitCode, 0) << "one case ran and passed";
    EXPECT_EQ(runSkippingTests(QStringLiteral("*ItPasses"), false).exitCode, 0);
}

TEST(SkipReportTest, ARunThatMaySkipNothingFailsTheSkipWithItsReason) {
    const Finished alone = runSkippingTests(skipping, true);
    EXPECT_EQ(alone.exitCode, 1);
    EXPECT_TRUE(alone.output.contains(QStringLiteral("no sound server here"))) << alone.output.toStdString();
    EXPECT_FALSE(alone.output.contains(QStringLiteral("ran past the skip"))) << "the case ends where it fails";
    EXPECT_EQ(runSkippingTests(QStringLiteral("*"), true).exitCode, 1) << "a passing case beside it changes nothing";
}

TEST(SkipReportTest, TheScriptNamesEachSkippedCaseAndEachTestThatDidNotRunWithTheReason) {
    test::TempDir results;
    EXPECT_EQ(namedSkips(results.path()), QStringList{QStringLiteral("Skipped tests: none")});

    ASSERT_EQ(runSkippingTests(QStringLiteral("*"), false, results.file(QStringLiteral("both_test.xml"))).exitCode, 0);
    ASSERT_EQ(runSkippingTests(skipping, false, results.file(QStringLiteral("skipping_test.xml"))).exitCode, 77);
    test::writeFile(results.file(QStringLiteral("ctest.xml")), ctestReport);
    EXPECT_EQ(namedSkips(results.path()),
              (QStringList{QStringLiteral("Skipped tests: 3"),
                           QStringLiteral("  both_test  ") + skipping + QStringLiteral(": no sound server here"),
                           QStringLiteral("  skipping_test  ") + skipping + QStringLiteral(": no sound server here"),
                           QStringLiteral("  no_display_test: x11-session: Xvfb is not installed; skipping")}));
}

}  // namespace
