// The program itself on a display of its own: "--demo" shows the editor
// with the practice picture, and a second start with a file hands it to the
// running program, which opens it.
#include "platform/X11ScreenSource.h"
#include "tests/support/TempDir.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace tavero;

namespace {

const QString title = QStringLiteral("岚帧 Tavero");

class TaveroOnX11Test : public testing::Test {
protected:
    void TearDown() override {
        program.kill();
        program.waitForFinished(5000);
    }

    void start(const QStringList& arguments) {
        program.start(QStringLiteral(TAVERO_EXECUTABLE), arguments);
        ASSERT_TRUE(program.waitForStarted(5000));
    }

    std::optional<WindowInfo> editorWindow() {
        for (const WindowInfo& window : screen.windows())
            if (window.title == title && window.processID == program.processId()) return window;
        return std::nullopt;
    }

    // The middle of the editor, below its menu bar, once `ready` holds for it.
    QImage middleOnceReady(const std::function<bool(const QImage&)>& ready) {
        QImage middle;
        (void)QTest::qWaitFor(
            [&] {
                const std::optional<WindowInfo> window = editorWindow();
                if (!window) return false;
                const QImage shot = screen.grab(ContentFilter::forWindow(*window), false);
                if (shot.isNull()) return false;
                middle = shot.copy(QRect(QPoint(), QSize(600, 400)).translated(shot.rect().center() - QPoint(300, 200)));
                return ready(middle);
            },
            15'000);
        return middle;
    }

    test::TempHome home;
    X11ScreenSource screen;
    QProcess program;
};

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
    QImage picture(900, 600, QImage::Format_RGB32);
    picture.fill(red);
    const QString file = home.path() + QStringLiteral("/红色.png");
    ASSERT_TRUE(picture.save(file));

    QProcess second;
    second.start(QStringLiteral(TAVERO_EXECUTABLE), {file});
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_EQ(second.exitCode(), 0);
    const QImage middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == red; });
    EXPECT_EQ(middle.pixelColor(300, 200), red) << "the running program shows the file";
    EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace
