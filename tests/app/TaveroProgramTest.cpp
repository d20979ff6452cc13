#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

struct Finished {
    int status = -1;
    QStringList out;
    QStringList err;
};

QStringList lines(const QByteArray& bytes) {
    QStringList list = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!list.isEmpty() && list.last().isEmpty()) list.removeLast();
    return list;
}

// Runs the program without a display, its temporary folder inside `temporary`.
Finished runTavero(const QStringList& arguments, const QString& temporary) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVERO_EXECUTABLE), arguments);
    if (!process.waitForFinished(300'000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, lines(process.readAllStandardOutput()),
            lines(process.readAllStandardError())};
}

}  // namespace

TEST(TaveroProgram, SelfTestPassesEveryCheckAndLeavesNothingBehind) {
    test::TempDir temporary;
    const Finished run = runTavero({QStringLiteral("--self-test")}, temporary.path());
    EXPECT_EQ(run.status, 0) << run.err.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.join(QLatin1Char('\n')).toStdString();
    ASSERT_FALSE(run.out.isEmpty());
    const QStringList passes = run.out.mid(0, run.out.size() - 1);
    EXPECT_EQ(passes.size(), 87) << "no group of checks dropped out";
    for (const QString& line : passes) EXPECT_TRUE(line.startsWith(QStringLiteral("PASS: "))) << line.toStdString();
    EXPECT_EQ(run.out.last(), QStringLiteral("ALL %1 TESTS PASSED").arg(passes.size()));
    const QStringList workFolders = QDir(temporary.path()).entryList({QStringLiteral("Vistagon-tests-*")}, QDir::AllEntries);
    EXPECT_TRUE(workFolders.isEmpty()) << "the work folder is removed";
}

TEST(TaveroProgram, TheCameraSwitchWinsOverTheSelfTestAndLeavesItsRecordingsInTheFolder) {
    test::TempDir temporary;
    const QString folder = temporary.path() + QStringLiteral("/camera/suite");
    const Finished run = runTavero(
        {QStringLiteral("--self-test"), QStringLiteral("--camera-pipeline-test"), folder}, temporary.path());
    EXPECT_EQ(run.status, 0) << run.out.join(QLatin1Char('\n')).toStdString();
    ASSERT_FALSE(run.out.isEmpty());
    EXPECT_EQ(run.out.last(), QStringLiteral("ALL CAMERA FRAMING TESTS PASSED")) << "the self test must not run";
    const QStringList passes = run.out.filter(QRegularExpression(QStringLiteral("^PASS: ")));
    EXPECT_EQ(passes.size(), 2 + 33);
    EXPECT_EQ(run.out.size(), passes.size() + 2 + 1) << "two path lines and the last line";
    const QDir kept(folder);
    for (const QString& pattern : {QStringLiteral("camera-pause-*.mp4"), QStringLiteral("dual-audio-*.mp4"),
                                   QStringLiteral("mixed-audio-*.mp4")})
        EXPECT_EQ(kept.entryList({pattern}, QDir::Files).size(), 1) << pattern.toStdString();
    const auto codecs = [&](const QString& pattern) {
        const QStringList files = kept.entryList({pattern}, QDir::Files);
        return files.isEmpty() ? std::string()
                               : test::ffprobe({QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name"),
                                                QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                                               kept.filePath(files.first()))
                                     .simplified()
                                     .toStdString();
    };
    EXPECT_EQ(codecs(QStringLiteral("dual-audio-*.mp4")), "h264 aac aac") << "two sound tracks to mix";
    EXPECT_EQ(codecs(QStringLiteral("mixed-audio-*.mp4")), "h264 aac");
    EXPECT_EQ(kept.entryList({QStringLiteral("portrait-*.png")}, QDir::Files).size(), 3);
    EXPECT_EQ(kept.entryList({QStringLiteral("aspect-*-*.mp4")}, QDir::Files).size(), 7);
    EXPECT_EQ(kept.entryList({QStringLiteral("aspect-?.png")}, QDir::Files).size(), 7);
}

TEST(TaveroProgram, TheCameraSuiteReportsItsFailureAsOneLine) {
    test::TempDir temporary;
    QFile blocking(temporary.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocking.open(QIODevice::WriteOnly));
    const Finished run =
        runTavero({QStringLiteral("--camera-pipeline-test"), blocking.fileName() + QStringLiteral("/folder")},
                  temporary.path());
    EXPECT_EQ(run.status, 1) << "its working folder cannot be made";
    ASSERT_EQ(run.out.size(), 1);
    EXPECT_TRUE(run.out.first().startsWith(QStringLiteral("FAIL: "))) << run.out.first().toStdString();
}

TEST(TaveroProgram, SwitchesMatchWholeAndCaseSensitively) {
    test::TempDir temporary;
    for (const QString& argument : {QStringLiteral("--Self-Test"), QStringLiteral("--self-test=1")}) {
        const Finished run = runTavero({argument}, temporary.path());
        EXPECT_EQ(run.status, 1) << argument.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << argument.toStdString();
        EXPECT_EQ(run.err, QStringList{QStringLiteral("岚帧 Tavero 需要 X11 图形桌面，但没有找到显示（DISPLAY 未设置）。")})
            << "without a display the program says why in one line";
    }
}
