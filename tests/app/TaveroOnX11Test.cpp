// The program itself on a display of its own: "--demo" shows the editor
// with the practice picture, and a second start with a file hands it to the
// running program, which opens it.
#include "tests/app/RunningTavero.h"

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

TEST_F(TaveroOnX11Test, ASecondStartOpensItsFileInTheRunningProgram) {
    start({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return editorWindow().has_value(); }, 15'000));
    const QColor red(220, 30, 40);
    handOver(writeFilled(QStringLiteral("红色.png"), red));
    const QImage middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == red; });
    EXPECT_EQ(middle.pixelColor(300, 200), red) << "the running program shows the file";
    EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace
