// The real program handed videos that no reader should wait on: a FIFO
// named like a video, a recording whose project names a FIFO as its raw
// recording, and files named like videos whose content names a FIFO or an
// address. Each once kept a worker waiting for good (the playlist's after
// connecting to the address); a wait in the render, or in opening the list
// naming a FIFO, even kept SIGTERM from ending the program. Videos whose
// header leaves their length out, or misstates it, are read for as long as
// they hold. Controls are pressed as a screen reader presses them.
#include "app/model/FileMessages.h"
#include "camera/RecordingProject.h"
#include "camera/SmartVideoMessages.h"
#include "recording/RecordingMessages.h"
#include "recording/studio/StudioMessages.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/CraftedMatroska.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ReachingVideos.h"

#include <csignal>

using namespace tavero;

namespace {

class TaveroVideoInputOnX11Test : public test::ProgramUnderScreenReader {
protected:
    // Hands `file` to the running program as a second start would.
    void handOver(const QString& file) {
        QProcess second;
        second.setProcessEnvironment(reader.environment());
        second.start(QStringLiteral(TAVERO_EXECUTABLE), {file});
        ASSERT_TRUE(second.waitForFinished(10'000));
        EXPECT_EQ(second.exitCode(), 0);
    }

    bool shows(const QString& role, const QString& text) {
        return QTest::qWaitFor([&] { return reader.shows(role, text); }, 30'000);
    }
    bool pressed(const QString& button) {
        return QTest::qWaitFor([&] { return reader.act(pushButton, button, press); }, 30'000);
    }

    // The alert says `sentence`, and is closed.
    void acknowledge(const QString& sentence) {
        ASSERT_TRUE(shows(QStringLiteral("label"), sentence));
        ASSERT_TRUE(pressed(QStringLiteral("知道了")));
    }

    // SIGTERM ends the program, however long a loaded machine takes.
    void terminateAndWait() {
        ASSERT_EQ(::kill(pid_t(program.processId()), SIGTERM), 0);
        ASSERT_TRUE(program.waitForFinished(60'000)) << "the program still runs after SIGTERM";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }

    QString homeFile(const QString& name) const { return home.path() + QLatin1Char('/') + name; }

    // Presses `button`; the name of the file named like `pattern` it adds to
    // the library, empty when none comes.
    QString added(const QString& button, const QString& pattern) {
        const QStringList before = inLibrary(pattern);
        QStringList now;
        if (!pressed(button) || !within([&] { return (now = inLibrary(pattern)).size() > before.size(); })) return {};
        for (const QString& path : before) now.removeOne(path);
        return QFileInfo(now.value(0)).fileName();
    }
};

TEST_F(TaveroVideoInputOnX11Test, AFifoNamedLikeAVideoIsToldUnreadableAndKeepsNothingWaiting) {
    const QString good = homeFile(QStringLiteral("good.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(good, {.duration = 1.0, .size = QSize(64, 48)}));
    const test::Fifo fifo(homeFile(QStringLiteral("x.mp4")));
    start({fifo.path()});
    acknowledge(RecordingMessages::videoUnreadable());

    ASSERT_TRUE(pressed(QStringLiteral("导出 GIF")));
    acknowledge(RecordingMessages::videoUnreadable());
    handOver(good);
    EXPECT_TRUE(shows(QStringLiteral("label"), QStringLiteral("0:00 / 0:01"))) << "the next video handed over plays";
    terminateAndWait();
}

// The good video handed over while the alert about the FIFO is still open
// plays under its own name: the alert closes, and the status line no
// longer says what it said of the FIFO.
TEST_F(TaveroVideoInputOnX11Test, AGoodVideoAfterAnUnreadableOneIsNotToldUnreadable) {
    const QString good = homeFile(QStringLiteral("good.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(good, {.duration = 1.0, .size = QSize(64, 48)}));
    const test::Fifo fifo(homeFile(QStringLiteral("x.mp4")));
    start({fifo.path()});
    const QString unreadable = RecordingMessages::videoUnreadable();
    ASSERT_TRUE(shows(QStringLiteral("label"), unreadable));
    ASSERT_TRUE(shows(QStringLiteral("filler"), unreadable));

    handOver(good);
    ASSERT_TRUE(shows(QStringLiteral("filler"), FileMessages::opened(QStringLiteral("good.mp4"))));
    EXPECT_TRUE(shows(QStringLiteral("label"), QStringLiteral("0:00 / 0:01")));
    EXPECT_FALSE(reader.shows(QStringLiteral("label"), unreadable)) << "the alert about the FIFO is gone";
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
    ASSERT_TRUE(shows(pushButton, QStringLiteral("画面效果")));
    ASSERT_TRUE(pressed(QStringLiteral("画面效果")));
    ASSERT_TRUE(pressed(QStringLiteral("重新生成成片")));
    // The status line, which a screen reader reads whole.
    EXPECT_TRUE(shows(QStringLiteral("filler"), StudioMessages::renderFailed(SmartVideoMessages::sourceUnreadable())))
        << "the render answers, instead of waiting for a writer";
    terminateAndWait();
}

// Ten seconds each: a live Matroska recording, which once read 0:10 in the
// player and too long for a GIF; one followed by 2 GB of zeros, which was
// read whole before anything showed; one whose last cluster is timed at
// 1e9 ms, which read 277:46:41; a QuickTime movie with a camera's PCM
// sound, whose trim said the disk was full; an MPEG-TS whose pictures join
// its sound 4 s in, whose trim was refused as longer than its pictures. Each
// reads 0:10, and its GIF and its trim (0 to 10 s, as a new workspace says)
// are made.
TEST_F(TaveroVideoInputOnX11Test, AVideoReadsWhatItHoldsAndItsGifAndTrimAreMade) {
    const test::VideoFixture live{.duration = 10.0, .size = QSize(160, 120), .rate = 10,
                                  .audio = {test::systemTone}, .container = QStringLiteral("matroska"), .live = true};
    test::VideoFixture followed = live, pcm = live;
    followed.truncateAt = 2ll << 30;
    pcm.container = QStringLiteral("mov");
    pcm.soundCodec = QStringLiteral("pcm_s16le");
    pcm.live = false;
    const QList<std::pair<QString, test::VideoFixture>> videos{{QStringLiteral("live.mp4"), live},
                                                              {QStringLiteral("followed.mp4"), followed},
                                                              {QStringLiteral("far.mp4"), live},
                                                              {QStringLiteral("pcm.mov"), pcm}};
    for (const auto& [name, fixture] : videos) ASSERT_NO_FATAL_FAILURE(test::makeVideo(homeFile(name), fixture));
    test::appendFile(homeFile(QStringLiteral("far.mp4")), test::matroskaCluster(quint64(1e9), 1, QByteArray(64, 'x')));
    QStringList names{QStringLiteral("late.ts")};
    ASSERT_NO_FATAL_FAILURE(test::makeLatePicturesStream(homeFile(names.front()), 4, 6.5));
    for (const auto& [name, fixture] : videos) names << name;
    start({homeFile(names.front())});
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        if (name != names.front()) handOver(homeFile(name));
        ASSERT_TRUE(shows(QStringLiteral("filler"), name));
        EXPECT_TRUE(shows(QStringLiteral("label"), QStringLiteral("0:00 / 0:10")));
        const QString gif = added(QStringLiteral("导出 GIF"), QStringLiteral("动图*.gif"));
        ASSERT_FALSE(gif.isEmpty()) << "no GIF made";
        ASSERT_TRUE(within([&] { return statusSays(FileMessages::gifSaved(gif)); }));
        const QString trim = added(QStringLiteral("另存片段"), QStringLiteral("裁剪录屏*.mp4"));
        ASSERT_FALSE(trim.isEmpty()) << "no trim made";
        EXPECT_TRUE(shows(QStringLiteral("filler"), trim)) << "the trim is shown";
    }
    terminateAndWait();
}

TEST_F(TaveroVideoInputOnX11Test, APlaylistNamedLikeAVideoIsToldUnreadableWithoutAConnection) {
    test::ReachingVideos videos(home.path());
    start({videos.path(test::ReachingVideos::Kind::playlist)});
    acknowledge(RecordingMessages::videoUnreadable());
    EXPECT_EQ(videos.connections(), 0) << "connected to the address the playlist names";
    terminateAndWait();
}

TEST_F(TaveroVideoInputOnX11Test, AListNamingAFifoIsToldUnreadableAndLetsSigtermEndTheProgram) {
    test::ReachingVideos videos(home.path());
    start({videos.path(test::ReachingVideos::Kind::fifoList)});
    acknowledge(RecordingMessages::videoUnreadable());
    terminateAndWait();
    EXPECT_FALSE(videos.fifoReaders()) << "the program opened the FIFO the list names";
}

}  // namespace
