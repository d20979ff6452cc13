// A take as a user makes it, on a real X server with a window manager, a
// sound server of the test's own and a temporary home: the studio's start
// (what the set-up sheet's button calls), then Ctrl+Shift+P, Ctrl+Shift+P,
// Ctrl+Shift+P twice in quick succession and Ctrl+Shift+8 pressed through
// XTEST, with the real screen recorder writing, joining and listing the take.
// Free space running low stops a take and keeps it; a program killed in the
// middle of a take loses no earlier library entry.
#include "library/LibraryManifest.h"
#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/PointerSource.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11ScreenSource.h"
#include "platform/desktop/X11Windows.h"
#include "platform/files/FreeSpace.h"
#include "platform/sound/ShortSounds.h"
#include "recording/RecordedVideoValidation.h"
#include "recording/RecordingDiskSpace.h"
#include "recording_ui/RecordingOverlayWindows.h"
#include "tests/app/DelegateHarness.h"
#include "tests/support/Disks.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TestWindows.h"
#include "tests/support/Tones.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;
constexpr int systemTone = 660;
// The chime's main pitch.
constexpr double tinkPitch = 2350;

const QRect screenRect(0, 0, 1920, 1080);
// Where the pointer waits, drawn into the take.
const QPoint pointerPlace(40, 1040);
const QRect pointerArea(pointerPlace - QPoint(40, 40), QSize(80, 80));

QString library(const test::TempHome& home) { return home.desktop() + QStringLiteral("/岚帧"); }

QList<CaptureRecord> manifestOf(const test::TempHome& home) {
    QFile file(library(home) + QStringLiteral("/index.json"));
    return file.open(QIODevice::ReadOnly) ? decodeManifest(file.readAll()) : QList<CaptureRecord>();
}

// One of the program's floating panels (a control bar, say): on top of
// everything, registered as ours while shown, as the recording windows are.
class OwnPanel : public QWidget {
public:
    static inline const QColor colour{255, 0, 255};

    OwnPanel() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
        setGeometry(1500, 100, 320, 200);
    }
    ~OwnPanel() override { OwnWindows::remove(quint32(internalWinId())); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
    void showEvent(QShowEvent*) override { OwnWindows::add(quint32(winId())); }
    void hideEvent(QHideEvent*) override { OwnWindows::remove(quint32(internalWinId())); }
};

// The share of `area`'s pixels in `picture` that have the panel's colour.
double panelShare(const QImage& picture, const QRect& area) {
    int matching = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 60 && pixel.blue() > 200) ++matching;
        }
    return double(matching) / (area.width() * area.height());
}

// The mean difference, per channel, between two pictures of one size in `area`.
double meanDifference(const QImage& a, const QImage& b, const QRect& area) {
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * area.width() * area.height());
}

// The largest mean difference over the blocks of an 8 × 8 grid that do not
// meet `skipped`: noise loses about as much to the encoder in every block,
// and a window left in the picture stands out.
double largestBlockDifference(const QImage& a, const QImage& b, const QRect& skipped) {
    const QSize block(a.width() / 8, a.height() / 8);
    double largest = 0;
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column) {
            const QRect area(QPoint(column * block.width(), row * block.height()), block);
            if (!area.intersects(skipped)) largest = std::max(largest, meanDifference(a, b, area));
        }
    return largest;
}

class RecordingTakeOnX11Test : public testing::Test {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        // The page fills the display, so every recorded pixel is known.
        page.emplace(screenRect, 37);
        ASSERT_TRUE(page->start());
        const auto grabScreen = [&] { return screen->grabArea(screenRect, false); };
        ASSERT_TRUE(test::samePixels(test::grabUntil(grabScreen, page->picture()), page->picture()));
        // The pointer is drawn into the take: it waits in a corner.
        ASSERT_TRUE(test::pointAt(pointerPlace));
        harness.source = screen;
        harness.realHotKeys = true;
        harness.pointer = makePointerSource();
        harness.makeRecordingOverlay = [](RecordingStudio& studio) {
            return std::make_unique<RecordingOverlayWindows>(studio);
        };
        harness.playSound = [this](const QString& name) {
            played.append(name);
            sounds.play(name);
        };
    }

    AppModel& model() { return harness.model(); }
    RecordingStudio& studio() { return model().studio(); }
    bool waitFor(Kind kind, int timeoutMs = 60'000) {
        return QTest::qWaitFor([&] { return studio().phase() == RecordingPhase(kind); }, timeoutMs);
    }
    void press(QChar key) {
        keyboard.chord(chord, key);
        keyboard.sync();
    }

    // Ctrl+Shift+8 opens the set-up sheet; the whole display is chosen and
    // the sheet's start called. Returns once the recorder writes.
    void startTake() {
        harness.delegate();
        press(QLatin1Char('8'));
        ASSERT_TRUE(QTest::qWaitFor([&] { return studio().setupVisible() && !studio().loadingTargets(); }, 60'000));
        studio().setScope(RecordingScope::display);
        studio().start();
        ASSERT_EQ(studio().phase(), RecordingPhase::countdown(3)) << studio().targetError().value_or(QString()).toStdString();
        ASSERT_TRUE(waitFor(Kind::recording)) << model().status().toStdString();
    }

    // The programs the test starts measure the real disk, where a take needs
    // 3 GB free. So that it runs whatever the host has free, the desktop,
    // where the library lies, gets a disk of its own that roomy where the
    // test may mount (a tmpfs takes memory only for what is written).
    static constexpr qint64 roomyDisk = 8'000'000'000;
    static constexpr const char* noRoomForATake =
        "a take needs 3 GB free where the test's home lies, or the right to mount a disk there";
    bool hasRoomForATake() const {
        return FreeSpace::statvfsProbe(harness.home.desktop()).value_or(0) >= RecordingDiskSpace::startReserve;
    }

    // The status once the take has been listed in the library.
    QString statusOnceSaved() {
        (void)QTest::qWaitFor([&] { return model().status().startsWith(QStringLiteral("已保存")); }, 60'000);
        (void)QTest::qWaitFor([&] { return !model().history().isEmpty(); }, 60'000);
        return model().status();
    }

    test::SoundServer sound;
    std::atomic<qint64> freeBytes{100'000'000'000};
    FreeSpace::ScopedProbe probe{[this](const QString&) { return std::optional<qint64>(freeBytes.load()); }};
    test::DelegateHarness harness;
    std::shared_ptr<X11ScreenSource> screen = std::make_shared<X11ScreenSource>();
    std::optional<test::ForeignWindow> page;
    SyntheticKeyboard keyboard;
    ShortSounds sounds;
    QStringList played;
};

TEST_F(RecordingTakeOnX11Test, StartedPausedResumedAndStoppedATakeIsSavedListedAndShownWithoutOurPanels) {
    // Mixed ahead, as under a player with a long buffer: the take's sound
    // must be flowing before its parts begin.
    ASSERT_TRUE(sound.playTone(systemTone, false));
    OwnPanel panel;
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    // Openbox keeps a frameless window that fills the screen, as the page
    // does, above every other while nothing else on the screen has the
    // focus, panels that stay on top included: the panel takes the focus, as
    // a click would give it, or a busy machine may leave it with the page.
    x11::Connection connection;
    x11::activateProcess(connection, QCoreApplication::applicationPid());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel, 20'000));
    const QRect panelArea = panel.geometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelShare(screen->grabArea(screenRect, false), panelArea) > 0.9; }, 20'000))
        << "the panel is on the screen";

    ASSERT_NO_FATAL_FAILURE(startTake());
    EXPECT_FALSE(harness.window().isVisible()) << "the editor stays out of the take";
    EXPECT_GT(OwnWindows::list().size(), 1) << "the recording windows are up beside our panel";
    QTest::qWait(1200);
    press(QLatin1Char('P'));
    ASSERT_TRUE(waitFor(Kind::paused));
    press(QLatin1Char('P'));
    ASSERT_TRUE(waitFor(Kind::recording));
    QTest::qWait(1200);
    // Pressed again while the pause is written (not in the same millisecond,
    // which the hot keys take for a held key's repeat): the take goes on.
    QSignalSpy phases(&studio(), &RecordingStudio::phaseChanged);
    press(QLatin1Char('P'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !phases.isEmpty(); }, 60'000));
    press(QLatin1Char('P'));
    const auto resumed = [&] { return phases.count() == 4 && studio().phase() == RecordingPhase(Kind::recording); };
    ASSERT_TRUE(QTest::qWaitFor(resumed, 60'000)) << "paused and resumed";
    QTest::qWait(1200);
    QStringList statuses;
    QStringList videos;
    QObject::connect(&model(), &AppModel::statusChanged, [&] { statuses.append(model().status()); });
    QObject::connect(&model(), &AppModel::videoURLChanged, [&] { videos.append(model().videoURL().value_or(QString())); });
    press(QLatin1Char('8'));

    // The take is listed, then its finished video is rendered and listed too.
    ASSERT_TRUE(QTest::qWaitFor([&] { return model().history().size() == 2 && !studio().processing(); }, 180'000))
        << model().status().toStdString();
    ASSERT_FALSE(videos.isEmpty());
    const QString video = videos.first();
    const QString name = QFileInfo(video).fileName();
    EXPECT_TRUE(name.startsWith(QStringLiteral("录屏_")) && name.endsWith(QStringLiteral(".mp4"))) << name.toStdString();
    EXPECT_TRUE(statuses.contains(QStringLiteral("已保存：") + name)) << statuses.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_TRUE(harness.window().isVisible()) << "the editor is back with the video";
    EXPECT_EQ(QFileInfo(video).absolutePath(), library(harness.home));

    const QList<CaptureRecord> records = manifestOf(harness.home);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.last().file, name);
    EXPECT_EQ(records.last().kind, CaptureRecord::videoKind);
    EXPECT_TRUE(records.first().file.startsWith(QStringLiteral("讲解成片_"))) << "the finished video comes first";
    EXPECT_EQ(model().videoURL(), QDir(library(harness.home)).filePath(records.first().file));
    EXPECT_EQ(model().history().value(1).file, name);

    const QString sidecar =
        QDir(library(harness.home)).filePath(QFileInfo(video).completeBaseName() + QStringLiteral(".recording.json"));
    ASSERT_TRUE(QFileInfo::exists(sidecar)) << "the project sits beside the video";
    const std::optional<RecordingProject> project = RecordingProject::load(video);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->sourceFile, name);
    EXPECT_FALSE(QFileInfo::exists(RecordingSession::partsDirectoryFor(video))) << "the parts are joined and gone";

    const double duration = test::ffprobe({QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                                           QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                                          video)
                                .toDouble();
    EXPECT_GT(duration, 3.0) << "the three parts are in the video";
    EXPECT_NEAR(project->duration, duration, 0.1);
    ASSERT_FALSE(project->samples.isEmpty()) << "the pointer's path is kept for the smart camera";
    EXPECT_LE(project->samples.last().time, project->duration);

    const std::vector<float> heard = test::decodeSound(video);
    ASSERT_FALSE(heard.empty()) << "the computer's sound is recorded";
    EXPECT_GT(test::toneCoverage(heard, 48000, systemTone, 0.05), 0.95) << "the computer's sound, all through the take";
    EXPECT_LT(test::toneAmplitude(heard, 48000, tinkPitch), 0.01) << "no chime in the take";
    EXPECT_EQ(played, QStringList{QStringLiteral("Pop")}) << "only the pop, once the take is saved";

    const QList<QImage> pictures = test::decodePictures(video, std::nullopt, 4);
    ASSERT_FALSE(pictures.isEmpty());
    for (const QImage& picture : pictures) {
        ASSERT_EQ(picture.size(), screenRect.size());
        EXPECT_LT(panelShare(picture, panelArea), 0.01) << "our panel is not in the take";
        EXPECT_LT(largestBlockDifference(picture, page->picture(), pointerArea),
                  meanDifference(picture, page->picture(), panelArea.translated(-400, 300)) + 3)
            << "the page shows everywhere, the recording windows' places and the panel's included";
    }

    ASSERT_TRUE(project->backgroundFile) << "the take keeps a still of the display behind it";
    const QImage background(QDir(library(harness.home)).filePath(*project->backgroundFile));
    ASSERT_EQ(background.size(), screenRect.size());
    EXPECT_TRUE(test::samePixels(background, page->picture())) << "nothing of ours in the still";
}

TEST_F(RecordingTakeOnX11Test, FreeSpaceBelowTwoGigabytesStopsTheTakeAndKeepsWhatWasRecorded) {
    harness.delegate();
    studio().setSystemAudio(false);
    ASSERT_NO_FATAL_FAILURE(startTake());
    EXPECT_EQ(played, QStringList{QStringLiteral("Tink")}) << "the chime, in a take without the computer's sound";
    QTest::qWait(1000);
    freeBytes = 1'500'000'000;
    EXPECT_TRUE(QTest::qWaitFor([&] { return studio().phase() != RecordingPhase(Kind::recording); }, 5000))
        << "the take clock reads the free space every 2 s";

    const QString status = statusOnceSaved();
    ASSERT_TRUE(model().videoURL()) << status.toStdString();
    const QString video = *model().videoURL();
    const QStringList lines = status.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << status.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("已保存 ")) && lines[0].endsWith(QStringLiteral(" 秒原片。")));
    EXPECT_EQ(lines[1], QStringLiteral("可用空间不足 2 GB，已提前停止并保存当前录制。请腾出空间后继续。"));
    EXPECT_EQ(lines[2], QStringLiteral("文件：") + QFileInfo(video).fileName());
    EXPECT_EQ(model().error(), status) << "the alert says it too";

    const QList<CaptureRecord> records = manifestOf(harness.home);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().file, QFileInfo(video).fileName());
    EXPECT_GT(test::pictureTimes(video).size(), 1) << "what was recorded is kept";
    EXPECT_TRUE(RecordingProject::load(video));
    EXPECT_EQ(played, (QStringList{QStringLiteral("Tink"), QStringLiteral("Pop")}));
}

// The program killed while a take runs (the real program cannot begin a take
// without its set-up sheet, so a build of it whose sheet starts at once
// stands in), then the real program started again in the same home.
TEST_F(RecordingTakeOnX11Test, KilledDuringATakeAndStartedAgainTheProgramLosesNoEarlierEntry) {
    const test::SmallDisk room(roomyDisk, harness.home.desktop());
    if (!hasRoomForATake()) TAVERO_SKIP_UNLESS_REQUIRED(noRoomForATake);
    const auto windowOf = [this](const QProcess& program) {
        return QTest::qWaitFor(
            [&] {
                for (const WindowInfo& window : screen->windows())
                    if (window.processID == program.processId()) return true;
                return false;
            },
            60'000);
    };
    QProcess taking;
    taking.start(QStringLiteral(TAVERO_TAKE_PROGRAM), QStringList());
    ASSERT_TRUE(taking.waitForStarted(5000));
    ASSERT_TRUE(windowOf(taking)) << "the program shows its window once its keys are taken";
    press(QLatin1Char('6'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return manifestOf(harness.home).size() == 1; }, 60'000));
    const CaptureRecord earlier = manifestOf(harness.home).first();

    press(QLatin1Char('8'));
    QString part;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QDir folder(library(harness.home));
            for (const QString& parts : folder.entryList({QStringLiteral("录制片段_*")}, QDir::Dirs)) {
                part = folder.filePath(parts + QLatin1Char('/') + RecordingSession::partFileName(1));
                if (QFileInfo(part).size() > 0) return true;
            }
            return false;
        },
        60'000))
        << "the take began writing";
    QTest::qWait(3000);
    ::kill(pid_t(taking.processId()), SIGKILL);
    ASSERT_TRUE(taking.waitForFinished(5000));
    EXPECT_GT(test::pictureTimes(part).size(), 0) << "the killed take's part plays up to its last second";

    QProcess again;
    again.start(QStringLiteral(TAVERO_EXECUTABLE), QStringList());
    ASSERT_TRUE(again.waitForStarted(5000));
    ASSERT_TRUE(windowOf(again));
    press(QLatin1Char('6'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return manifestOf(harness.home).size() == 2; }, 60'000));
    const QList<CaptureRecord> records = manifestOf(harness.home);
    EXPECT_TRUE(records.contains(earlier)) << "the entry made before the kill is still listed";
    EXPECT_TRUE(QFileInfo::exists(QDir(library(harness.home)).filePath(earlier.file)));
    again.kill();
    again.waitForFinished(5000);
}

// A session logging out sends SIGTERM: the take is stopped and saved as the
// stop control would, and then the program ends by itself.
TEST_F(RecordingTakeOnX11Test, TerminatedDuringATakeTheProgramSavesTheTakeAndEnds) {
    const test::SmallDisk room(roomyDisk, harness.home.desktop());
    if (!hasRoomForATake()) TAVERO_SKIP_UNLESS_REQUIRED(noRoomForATake);
    QProcess taking;
    taking.start(QStringLiteral(TAVERO_TAKE_PROGRAM), QStringList());
    ASSERT_TRUE(taking.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const WindowInfo& window : screen->windows())
                if (window.processID == taking.processId()) return true;
            return false;
        },
        60'000));
    press(QLatin1Char('8'));
    QString parts;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QDir folder(library(harness.home));
            for (const QString& name : folder.entryList({QStringLiteral("录制片段_*")}, QDir::Dirs)) {
                parts = folder.filePath(name);
                if (QFileInfo(QDir(parts).filePath(RecordingSession::partFileName(1))).size() > 0) return true;
            }
            return false;
        },
        60'000))
        << "the take began writing";
    QTest::qWait(2000);

    // How long stopping, joining and listing takes depends on the machine's
    // load; that it ends by itself does not.
    ::kill(pid_t(taking.processId()), SIGTERM);
    ASSERT_TRUE(taking.waitForFinished(120'000)) << "the program did not end";
    EXPECT_EQ(taking.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(taking.exitCode(), 0);

    const QList<CaptureRecord> records = manifestOf(harness.home);
    ASSERT_EQ(records.size(), 1) << "the take is listed";
    const QString video = QDir(library(harness.home)).filePath(records.first().file);
    EXPECT_GT(RecordedVideoValidation::duration(video), 1.5);
    EXPECT_TRUE(RecordingProject::load(video)) << "its project lies beside it";
    EXPECT_FALSE(QFileInfo::exists(parts)) << "a take joined cleanly leaves no parts";
}

}  // namespace
