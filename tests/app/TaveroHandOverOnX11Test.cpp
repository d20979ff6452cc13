// The real program handed files one right after the other, as a file
// manager opening them does: a large picture, whose open takes a while, and
// a small one given by a relative name while it runs. Each start says the
// file was taken, and the window ends with the small picture shown and the
// status line naming it. Pictures and videos of every container the player
// reads, handed over in turn, are each named, and said once, as they show;
// of two videos handed over at once, the second.
#include "app/model/FileMessages.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/EventListener.h"
#include "tests/support/MediaFixtures.h"

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

TEST_F(TaveroHandOverOnX11Test, EachPictureAndVideoHandedOverIsNamedAndSaidOnceShown) {
    writeFilled(QStringLiteral("small.png"), QSize(90, 60), QColor(30, 60, 210));
    // Each plays for its own number of seconds, which the player shows.
    const QSize small(64, 48);
    const std::pair<QString, test::VideoFixture> videos[] = {
        {QStringLiteral("small.mp4"), {.duration = 1, .size = small}},
        {QStringLiteral("录屏.mkv"), {.duration = 2, .size = small, .container = QStringLiteral("matroska")}},
        {QStringLiteral("录屏.webm"),
         {.duration = 3, .size = small, .codec = QStringLiteral("libvpx-vp9"), .container = QStringLiteral("webm")}},
        {QStringLiteral("直播.ts"), {.duration = 4, .size = small, .container = QStringLiteral("mpegts")}},
        {QStringLiteral("h264_1080p.mp4"), {.duration = 1, .size = QSize(1920, 1080)}},
        {QStringLiteral("hevc.mov"),
         {.duration = 5, .size = small, .codec = QStringLiteral("libx265"), .container = QStringLiteral("mov")}},
    };
    for (const auto& [name, fixture] : videos)
        ASSERT_NO_FATAL_FAILURE(test::makeVideo(home.path() + QLatin1Char('/') + name, fixture));
    ASSERT_NO_FATAL_FAILURE(start({}));
    test::EventListener listener(reader.listenerEnvironment(),
                                 {QStringLiteral("said"), QString::number(program.processId())});
    ASSERT_TRUE(listener.listening());
    QStringList heard;
    // The status line names the file, a screen reader has heard it, and the
    // player, for a video, has read how long it plays.
    const auto named = [&](const QString& name, int seconds = 0) {
        const QString opened = FileMessages::opened(name);
        const QString playing = QStringLiteral("0:00 / 0:0%1").arg(seconds);
        return QTest::qWaitFor(
            [&] {
                heard += listener.lines();
                return statusSays(opened) && heard.contains(opened) &&
                       (seconds == 0 || reader.shows(QStringLiteral("label"), playing));
            },
            60'000);
    };

    ASSERT_NO_FATAL_FAILURE(handOver(QStringLiteral("small.png")));
    EXPECT_TRUE(named(QStringLiteral("small.png")));
    for (qsizetype index = 0; index < 4; ++index) {
        const auto& [name, fixture] = videos[index];
        ASSERT_NO_FATAL_FAILURE(handOver(name));
        EXPECT_TRUE(named(name, int(fixture.duration))) << name.toStdString();
    }
    ASSERT_NO_FATAL_FAILURE(handOver(videos[4].first));
    ASSERT_NO_FATAL_FAILURE(handOver(videos[5].first));
    EXPECT_TRUE(named(videos[5].first, 5)) << "the second of two";
    EXPECT_FALSE(statusSays(FileMessages::opened(videos[4].first)));

    // Counted until small.png, handed over again, is said after the last video.
    ASSERT_NO_FATAL_FAILURE(handOver(QStringLiteral("small.png")));
    const QString again = FileMessages::opened(QStringLiteral("small.png"));
    const QString last = FileMessages::opened(videos[5].first);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            heard += listener.lines();
            return heard.lastIndexOf(again) > heard.indexOf(last);
        },
        60'000));
    const std::string everything = heard.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(heard.count(again), 2) << everything;
    for (const qsizetype index : {0, 1, 2, 3, 5})
        EXPECT_EQ(heard.count(FileMessages::opened(videos[index].first)), 1) << everything;
}

}  // namespace
