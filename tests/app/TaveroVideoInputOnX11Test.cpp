// The real program handed videos that no reader should wait on: a FIFO
// named like a video, and a recording whose project names a FIFO as its raw
// recording. Both once kept a worker waiting for a writer for good; the
// render's wait even kept SIGTERM from ending the program. Controls are
// pressed by name over the accessibility bus, as a screen reader does.
#include "camera/RecordingProject.h"
#include "camera/SmartVideoMessages.h"
#include "recording/studio/StudioMessages.h"
#include "recording/RecordingMessages.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"

#include <QProcess>

#include <csignal>

using namespace tavero;

namespace {

class TaveroVideoInputOnX11Test : public test::RunningTavero {
protected:
    // What atspi.py says of the program's control or text named `name`:
    // true once it showed (and was pressed).
    bool accessible(const char* action, const QStringList& names) {
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(QStringLiteral("/usr/bin/python3"),
                     QStringList{qEnvironmentVariable("TAVERO_SOURCE_DIR") + QStringLiteral("/tests/support/atspi.py"),
                                 QString::number(program.processId()), QString::fromLatin1(action)} +
                         names);
        return helper.waitForFinished(90'000) && helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0;
    }
    bool press(const QString& button) { return accessible("press", {button}); }
    bool shows(const QString& text) { return accessible("find", {text}); }
    bool pressInPopup(const QString& opener, const QString& button) { return accessible("popup", {opener, button}); }

    // The alert says `sentence`, and is closed.
    void acknowledge(const QString& sentence) {
        ASSERT_TRUE(shows(sentence));
        ASSERT_TRUE(press(QStringLiteral("知道了")));
    }

    // SIGTERM ends the program, however long a loaded machine takes.
    void terminateAndWait() {
        ASSERT_EQ(::kill(pid_t(program.processId()), SIGTERM), 0);
        ASSERT_TRUE(program.waitForFinished(60'000)) << "the program still runs after SIGTERM";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }

    QString homeFile(const QString& name) const { return home.path() + QLatin1Char('/') + name; }
};

TEST_F(TaveroVideoInputOnX11Test, AFifoNamedLikeAVideoIsToldUnreadableAndKeepsNothingWaiting) {
    const QString good = homeFile(QStringLiteral("good.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(good, {.duration = 1.0, .size = QSize(64, 48)}));
    const test::Fifo fifo(homeFile(QStringLiteral("x.mp4")));
    start({fifo.path()});
    acknowledge(RecordingMessages::videoUnreadable());

    ASSERT_TRUE(press(QStringLiteral("导出 GIF")));
    acknowledge(RecordingMessages::videoUnreadable());
    handOver(good);
    EXPECT_TRUE(shows(QStringLiteral("0:00 / 0:01"))) << "the next video handed over plays";
    terminateAndWait();
}

TEST_F(TaveroVideoInputOnX11Test, ARenderFromAFifoNamedByTheProjectLetsSigtermEndTheProgram) {
    const QString video = homeFile(QStringLiteral("讲解成片.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(video, {.duration = 1.0, .size = QSize(64, 48)}));
    const test::Fifo fifo(homeFile(QStringLiteral("录屏.mp4")));
    RecordingProject project;
    project.sourceFile = QStringLiteral("录屏.mp4");
    project.duration = 1.0;
    ASSERT_NO_THROW(project.save(video));
    start({video});
    ASSERT_TRUE(pressInPopup(QStringLiteral("画面效果"), QStringLiteral("重新生成成片")));
    EXPECT_TRUE(shows(StudioMessages::renderFailed(SmartVideoMessages::sourceUnreadable())))
        << "the render answers, instead of waiting for a writer";
    terminateAndWait();
}

}  // namespace
