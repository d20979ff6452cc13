// The real program handed two files one right after the other, as a file
// manager opening a selection does: a large picture, whose open takes a
// while, and a small one given by a relative name while it runs. Each start
// says the file was taken, and the window ends with the small picture shown
// and the status line naming it.
#include "app/model/FileMessages.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/ProgramUnderScreenReader.h"

#include <QImage>

using namespace tavero;

namespace {

class TaveroHandOverOnX11Test : public test::ProgramUnderScreenReader {
protected:
    // A second start with `file` in the home folder, as the shell starts it.
    void handOver(const QString& file) {
        QProcess second;
        second.setProcessEnvironment(reader.environment());
        second.setWorkingDirectory(home.path());
        second.start(QStringLiteral(TAVERO_EXECUTABLE), {file});
        ASSERT_TRUE(second.waitForFinished(30'000));
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    }

    QString writeFilled(const QString& name, QSize size, const QColor& colour) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        const QString file = home.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(picture.save(file));
        return file;
    }

    // The colour in the middle of the editor window, none before it shows.
    std::optional<QColor> middleColour() {
        for (const WindowInfo& window : screen.windows()) {
            if (window.title != QStringLiteral("岚帧 Tavero") || window.processID != program.processId()) continue;
            const QImage shot = screen.grab(ContentFilter::forWindow(window), false);
            if (!shot.isNull()) return shot.pixelColor(shot.rect().center());
        }
        return std::nullopt;
    }

    X11ScreenSource screen;
};

TEST_F(TaveroHandOverOnX11Test, TwoFilesHandedOverAtOnceOpenInTurnAndTheSecondIsShown) {
    const QColor big(220, 30, 40);
    const QColor small(30, 60, 210);
    const QString bigFile = writeFilled(QStringLiteral("大图.png"), QSize(6000, 6000), big);
    writeFilled(QStringLiteral("小图.png"), QSize(900, 600), small);
    ASSERT_NO_FATAL_FAILURE(start({}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return middleColour().has_value(); }, 30'000));

    ASSERT_NO_FATAL_FAILURE(handOver(bigFile));
    ASSERT_NO_FATAL_FAILURE(handOver(QStringLiteral("小图.png")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.shows(QStringLiteral("filler"), FileMessages::opened(QStringLiteral("小图.png"))); },
                                60'000))
        << "the status names the second file";
    EXPECT_TRUE(QTest::qWaitFor([&] { return middleColour() == small; }, 30'000)) << "the window shows the second file";
    EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace
