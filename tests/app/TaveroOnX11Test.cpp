// The program itself on a display of its own: "--demo" shows the editor
// with the practice picture, a file given at the start opens, and a second
// start with a file hands it to the running program, which opens it, with
// thousands of other files too.
#include "platform/AppBrand.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QSet>

using namespace tavero;

namespace {

class TaveroOnX11Test : public test::RunningTavero {};

int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    return colours.size();
}

TEST_F(TaveroOnX11Test, TheDemoShowsTheEditorWithThePracticePicture) {
    start({QStringLiteral("--demo")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return editorWindow().has_value(); }, 15'000));
    EXPECT_EQ(editorWindow()->frame.size(), QSize(1180, 790));
    const QImage middle = middleOnceReady([](const QImage& image) { return colourCount(image) > 50; });
    EXPECT_GT(colourCount(middle), 50) << "the practice picture, not a blank window";
}

// The first start is given "-红色.png", a file and no switch; the second
// hands over a file whose name is not UTF-8, named by the shell.
TEST_F(TaveroOnX11Test, FilesOpenByArgumentAndByHandOffWhateverTheirNames) {
    const QColor red(220, 30, 40);
    writeFilled(QStringLiteral("-红色.png"), red);
    program.setWorkingDirectory(home.path());
    start({QStringLiteral("-红色.png")});
    QImage middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == red; });
    EXPECT_EQ(middle.pixelColor(300, 200), red) << "the file that starts with a dash opened";

    const QColor blue(30, 60, 210);
    const QString folder = home.path() + QStringLiteral("/gbk");
    ASSERT_TRUE(QDir().mkpath(folder));
    const test::NativeNamedCopy copy(writeFilled(QStringLiteral("蓝色.png"), blue), folder, "\xc0\xb6\xc9\xab.png");
    QProcess second;
    second.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$1\"/*"),
                                              QStringLiteral(TAVERO_EXECUTABLE), folder});
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_EQ(second.exitCode(), 0);
    middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == blue; });
    EXPECT_EQ(middle.pixelColor(300, 200), blue) << "the running program opened it";
    EXPECT_EQ(program.state(), QProcess::Running);
}

// A selection of 5,000 files in deep folders, over a megabyte of paths: the
// running program still opens the first, and the second start says it did.
TEST_F(TaveroOnX11Test, ASecondStartWithThousandsOfLongPathsOpensTheFirst) {
    const QColor red(220, 30, 40);
    start({writeFilled(QStringLiteral("红色.png"), red)});
    QImage middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == red; });
    ASSERT_EQ(middle.pixelColor(300, 200), red);

    const QColor blue(30, 60, 210);
    QStringList files{writeFilled(QStringLiteral("蓝色.png"), blue)};
    for (int index = 1; index < 5000; ++index)
        files.append(home.path() + QStringLiteral("/%1.png").arg(index, 220, 10, QLatin1Char('0')));
    ASSERT_GT(files.join(QLatin1Char(' ')).toUtf8().size(), 1 << 20);
    QProcess second;
    second.start(QStringLiteral(TAVERO_EXECUTABLE), files);
    ASSERT_TRUE(second.waitForFinished(20'000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == blue; });
    EXPECT_EQ(middle.pixelColor(300, 200), blue) << "the running program opened the first file";
    EXPECT_EQ(program.state(), QProcess::Running);
}

// A project nested sixty thousand arrays deep in a mark once crashed the
// running program it was handed to; now the user reads that it cannot be
// opened, and the program goes on.
TEST_F(TaveroOnX11Test, AProjectNestedDeepIsRefusedByTheRunningProgram) {
    const QColor red(220, 30, 40);
    start({writeFilled(QStringLiteral("红色.png"), red)});
    const QImage middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == red; });
    ASSERT_EQ(middle.pixelColor(300, 200), red);

    const QString project = home.path() + QStringLiteral("/深.vistagon");
    test::writeFile(project, R"({"version":1,"png":"","marks":[{"id":)" + QByteArray(60'000, '[') +
                                 QByteArray(60'000, ']') + R"(,"tool":"arrow"}]})");
    handOver(project);
    const auto refusedOrEnded = [&] {
        return window(AppBrand::name).has_value() || program.state() != QProcess::Running;
    };
    ASSERT_TRUE(QTest::qWaitFor(refusedOrEnded, 15'000));
    EXPECT_TRUE(window(AppBrand::name).has_value()) << "the refusal is an alert";
    EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace
