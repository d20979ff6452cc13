#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "library/EditableShot.h"
#include "selftests/AnswerWait.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTests.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using namespace tavero;
using namespace tavero::selftests;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    int status = -1;
    QStringList out;
    QString err;
};

QString contents(std::FILE* file) {
    std::rewind(file);
    QByteArray text;
    char buffer[4096];
    while (const std::size_t read = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, qsizetype(read));
    return QString::fromUtf8(text);
}

Outcome runGroups(const std::vector<CheckGroup>& groups) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), std::fclose),
        err(std::tmpfile(), std::fclose);
    Outcome outcome;
    outcome.status = runSelfTestGroups(groups, out.get(), err.get());
    outcome.out = contents(out.get()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    outcome.err = contents(err.get());
    return outcome;
}

// Points the visual samples at a folder for the life of the object.
class VisualOutput {
public:
    explicit VisualOutput(const QString& folder) { qputenv("VISTAGON_VISUAL_OUTPUT", folder.toUtf8()); }
    ~VisualOutput() { qunsetenv("VISTAGON_VISUAL_OUTPUT"); }
};

}  // namespace

TEST(LibraryAndRecognitionChecks, PassTheLastTenChecksInOrderAndKeepNothing) {
    test::TempHome home;
    test::TempDir temporary;
    qputenv("TMPDIR", temporary.path().toUtf8());
    const Outcome outcome = runGroups({checkLibrary, checkRetake, checkRecognition});
    qunsetenv("TMPDIR");
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    EXPECT_EQ(
        outcome.out,
        (QStringList{
            QStringLiteral("PASS: background local save"),
            QStringLiteral("PASS: local history manifest matches saved file"),
            QStringLiteral("PASS: default capture folder is Desktop/岚帧"),
            QStringLiteral("PASS: Finder deletion disappears from history on refresh"),
            QStringLiteral("PASS: deleted media is removed from the persisted history index"),
            QStringLiteral("PASS: capture recreates an externally removed output folder"),
            QStringLiteral("PASS: retake moves discarded video into recoverable bundle without changing its bytes"),
            QStringLiteral("PASS: discarded take retains relative project and backdrop references for restoration"),
            QStringLiteral("PASS: Trash failure restores video and all companions instead of losing the take"),
            QStringLiteral("PASS: local Chinese OCR reads demo image"),
            QStringLiteral("ALL 10 TESTS PASSED"),
        }));
    EXPECT_TRUE(QDir(temporary.path()).entryList({QStringLiteral("Vistagon-tests-*")}, QDir::AllEntries).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.desktop() + QStringLiteral("/岚帧"))) << "the default library is only named";
    EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/.local/share/Trash")))
        << "the real Trash is not used";
}

TEST(LibraryAndRecognitionChecks, WriteVisualSamplesThatOpenAsTheyWereDrawn) {
    test::TempDir temporary;
    const QString folder = temporary.file(QStringLiteral("samples/nested"));
    const VisualOutput output(folder);
    const Outcome outcome = runGroups({checkRecognition});
    ASSERT_EQ(outcome.status, 0) << outcome.err.toStdString();

    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("像素-暮紫.png"), QStringLiteral("柔焦-海盐.png"),
                           QStringLiteral("磨砂-蜜桃.png"), QStringLiteral("磨砂演示.vistagon")}));
    const OpenedProject project = readProject(QDir(folder).filePath(QStringLiteral("磨砂演示.vistagon")));
    const QImage demo = ImageOps::demo();
    EXPECT_EQ(project.image, demo);
    ASSERT_EQ(project.marks.size(), 1);
    const Mark& mark = project.marks.first();
    EXPECT_EQ(mark.tool, MarkTool::pixelate);
    EXPECT_EQ(mark.points, (QList<QPointF>{QPointF(58, 224), QPointF(1100, 277)}));
    EXPECT_EQ(mark.obscure, (ObscureSettings{ObscureStyle::frosted, 24, 0.28}));

    // The sample is the project rendered and framed, pixel for pixel.
    const FrameOptions peach{FramePreset::peach, 96, 20, GradientDirection::diagonal};
    const QImage sample = ImageOps::load(QDir(folder).filePath(QStringLiteral("磨砂-蜜桃.png")));
    EXPECT_EQ(sample.size(), QSize(1392, 952));
    EXPECT_EQ(sample, ImageOps::framed(ImageOps::render(project.image, project.marks), peach, 1));
    for (const QString& name : {QStringLiteral("柔焦-海盐.png"), QStringLiteral("像素-暮紫.png")})
        EXPECT_EQ(ImageOps::load(QDir(folder).filePath(name)).size(), QSize(1392, 952)) << name.toStdString();
}

TEST(AnswerWait, ReturnsTheAnswerOrNothingAfterTheLimit) {
    const auto answered = waitForAnswer<int>([](auto answer) { QTimer::singleShot(10, [answer] { answer(7); }); }, 5s);
    EXPECT_EQ(answered, 7);

    std::function<void(int)> late;
    const auto missed = waitForAnswer<int>([&](auto answer) { late = answer; }, 20ms);
    EXPECT_FALSE(missed.has_value());
    late(8);  // an answer after the limit is dropped without harm
}
