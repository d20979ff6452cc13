#pragma once

#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/TempDir.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace tavero::test {

// The program itself, started in a temporary home on the test's display,
// with a look at its editor window. Killed when the test ends.
class RunningTavero : public testing::Test {
protected:
    static inline const QString title = QStringLiteral("岚帧 Tavero");

    void TearDown() override {
        program.kill();
        program.waitForFinished(5000);
    }

    void start(const QStringList& arguments) {
        program.start(QStringLiteral(TAVERO_EXECUTABLE), arguments);
        ASSERT_TRUE(program.waitForStarted(5000));
    }

    // The first window of the program with this title.
    std::optional<WindowInfo> window(const QString& name) {
        for (const WindowInfo& window : screen.windows())
            if (window.title == name && window.processID == program.processId()) return window;
        return std::nullopt;
    }
    std::optional<WindowInfo> editorWindow() { return window(title); }

    // The middle of the editor, below its menu bar, once `ready` holds for it.
    QImage middleOnceReady(const std::function<bool(const QImage&)>& ready) {
        QImage middle;
        (void)QTest::qWaitFor(
            [&] {
                const std::optional<WindowInfo> editor = editorWindow();
                if (!editor) return false;
                const QImage shot = screen.grab(ContentFilter::forWindow(*editor), false);
                if (shot.isNull()) return false;
                middle = shot.copy(QRect(QPoint(), QSize(600, 400)).translated(shot.rect().center() - QPoint(300, 200)));
                return ready(middle);
            },
            15'000);
        return middle;
    }

    // A 900 × 600 picture of one colour in the home folder.
    QString writeFilled(const QString& name, const QColor& colour) {
        QImage picture(900, 600, QImage::Format_RGB32);
        picture.fill(colour);
        const QString file = home.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(picture.save(file));
        return file;
    }

    // Hands `file` to the running program as a second start would.
    void handOver(const QString& file) {
        QProcess second;
        second.start(QStringLiteral(TAVERO_EXECUTABLE), {file});
        ASSERT_TRUE(second.waitForFinished(10'000));
        EXPECT_EQ(second.exitCode(), 0);
    }

    TempHome home;
    X11ScreenSource screen;
    QProcess program;
};

}  // namespace tavero::test
