// A whole screen take of the real recorder on a bare Xvfb with a private
// PulseAudio server: started, paused, resumed and stopped as the studio does,
// then the joined file is decoded back and measured.
#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/X11ScreenSource.h"
#include "platform/files/FreeSpace.h"
#include "platform/media/TakeSoundCapture.h"
#include "recording/RecordingCaptureSettings.h"
#include "recording/ScreenRecorder.h"
#include "tests/support/Beeper.h"
#include "tests/support/Disks.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Pictures.h"
#include "tests/support/RealInput.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QPainter>
#include <QRasterWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace tavero;
using Clock = std::chrono::steady_clock;

namespace {

// The recorded scene, in its own pixels: a colour card along the top, a
// page of text, a square that flashes from black to white, a small square
// that blinks all the time (so that pictures keep coming and the take's
// seconds grow smoothly) and a flat grey field everywhere else.
constexpr QRgb field = 0xff808080;
const QList<QRgb> card{0xffdc3232, 0xff32b446, 0xff283cc8, 0xfff0c828,
                       0xff1e1e1e, 0xfffafafa, 0xffc864dc, 0xff3cc8c8};
const QRect cardPatch(0, 0, 100, 100);
const QRect textPlace(0, 150, 500, 400);
const QRect flashPlace(560, 150, 200, 150);
const QRect panelPlace(560, 380, 200, 60);
const QRect blinkPlace(850, 30, 40, 40);
const QPoint pointerPlace(850, 300);

class Scene : public QRasterWindow {
public:
    explicit Scene(const QRect& place) : page_(fixtures::textPage(textPlace.width(), textPlace.height())) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(place);
        blink_.setInterval(30);
        QObject::connect(&blink_, &QTimer::timeout, this, [this] {
            lit_ = !lit_;
            update(blinkPlace);
        });
        blink_.start();
    }
    void flash() {
        flashed_ = true;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), QColor::fromRgb(field));
        for (int patch = 0; patch < card.size(); ++patch)
            painter.fillRect(cardPatch.translated(patch * cardPatch.width(), 0), QColor::fromRgb(card[patch]));
        painter.drawImage(textPlace.topLeft(), page_);
        painter.fillRect(flashPlace, flashed_ ? Qt::white : Qt::black);
        painter.fillRect(blinkPlace, lit_ ? Qt::yellow : Qt::blue);
    }

private:
    QImage page_;
    bool flashed_ = false;
    QTimer blink_;
    bool lit_ = false;
};

// A floating panel of ours, as the recording's control bar is: on top, never
// focused, registered to stay out of recordings while shown.
class Panel : public QRasterWindow {
public:
    explicit Panel(const QRect& place) {
        setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
        setGeometry(place);
    }
    ~Panel() override { OwnWindows::remove(quint32(winId())); }
    bool showAndRegister() {
        show();
        if (!QTest::qWaitForWindowExposed(this, 20'000)) return false;
        OwnWindows::add(quint32(winId()));
        return true;
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(0, 0), size()), Qt::green); }
};

using test::Beeper;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Where the beep begins in `samples`, in seconds: the first 2 ms slice
// that holds its frequency.
std::optional<double> beepOnset(const std::vector<float>& samples) {
    constexpr size_t slice = 96;
    for (size_t start = 0; start + slice <= samples.size(); start += slice / 4) {
        const std::vector<float> part(samples.begin() + qsizetype(start), samples.begin() + qsizetype(start + slice));
        if (test::toneAmplitude(part, Beeper::rate, Beeper::frequency) > 0.1)
            return double(start + slice / 2) / Beeper::rate;
    }
    return std::nullopt;
}

// Luma as our encoder computes it from RGB (BT.601, limited range).
int lumaOf(QRgb pixel) { return ((66 * qRed(pixel) + 129 * qGreen(pixel) + 25 * qBlue(pixel) + 128) >> 8) + 16; }

double lumaPsnr(const QImage& picture, const QImage& luma) {
    double squares = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const double error = lumaOf(picture.pixel(x, y)) - qGray(luma.pixel(x, y));
            squares += error * error;
        }
    const double mean = squares / (double(picture.width()) * picture.height());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Pixels of `picture` inside `place` that are far from the flat field.
int pixelsOffField(const QImage& picture, const QRect& place) {
    int count = 0;
    for (int y = place.top(); y <= place.bottom(); ++y)
        for (int x = place.left(); x <= place.right(); ++x)
            if (channelDistance(picture.pixel(x, y), field) > 60) ++count;
    return count;
}

double formatDuration(const QString& path) {
    return test::ffprobe({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                          QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                         path)
        .trimmed()
        .toDouble();
}

class ScreenRecorderOnX11Test : public testing::Test {
protected:
    X11ScreenSource screen;
    test::TempDir dir;
    const QString take = dir.file(QStringLiteral("录屏.mp4"));
    // 1001 × 601 points on a display at scale 1.
    const QRectF region{100, 100, 1001, 601};
    const QPoint origin{100, 100};
    ScreenRecorder recorder;
    int finishes = 0;
    std::optional<Result<RecordedVideo>> finished;

    void SetUp() override {
        ASSERT_TRUE(test::pointAt(QPoint(1900, 1070)));
        recorder.onFinished = [this](Result<RecordedVideo> result) {
            ++finishes;
            finished = std::move(result);
        };
    }

    void start(bool sound, media::SoundRecorder::Open openSound = {}) {
        const QList<DisplayInfo> displays = screen.displays();
        ASSERT_FALSE(displays.isEmpty());
        recorder.start({displays, {}}, displays.first(), region, std::nullopt, take, sound, sound, true,
                       std::move(openSound));
    }

    bool waitForState(RecordingSessionState state) {
        return QTest::qWaitFor([&] { return recorder.state() == state; }, 20'000);
    }

    // Until the take holds `seconds` of video, however slowly the machine
    // lets it record.
    bool recordUntil(double seconds) {
        return QTest::qWaitFor([&] { return recorder.elapsed() >= seconds; }, 60'000);
    }
};

TEST_F(ScreenRecorderOnX11Test, ATakeWithAPauseJoinsIntoOneVideoThatShowsAndSoundsAsTheScreenDid) {
    test::SoundServer server(440);
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_TRUE(server.playTone(660));
    Beeper beeper;
    ASSERT_TRUE(beeper.ready());
    Scene scene(QRect(origin, QSize(1001, 601)));
    scene.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene, 20'000));
    const QRect area(origin, QSize(1000, 600));
    const QRect patchOnScreen(cardPatch.center() + origin, QSize(1, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen.grabArea(patchOnScreen, false).pixel(0, 0) == card[0]; }, 20'000));
    const QImage grab = screen.grabArea(area, false);
    Panel panel(panelPlace.translated(origin));
    ASSERT_TRUE(panel.showAndRegister());

    // The take's sound flows from before its first part until it ends, as
    // the studio keeps it: a part opening its own would lose its first
    // moments while the server starts the stream.
    const media::TakeSoundCapture takeSound(takeSoundInputs(true, true));
    ASSERT_NO_THROW(start(true, takeSound.opener()));
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(2.0));
    // The square turns white on the screen, and the beep goes out at once.
    const Clock::time_point asked = Clock::now();
    scene.flash();
    const QRect flashOnScreen(flashPlace.center() + origin, QSize(1, 1));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return screen.grabArea(flashOnScreen, false).pixel(0, 0) == 0xffffffff; }, 20'000));
    const Clock::time_point flashed = Clock::now();
    beeper.beep();
    ASSERT_TRUE(recordUntil(4.0));
    recorder.pause();
    ASSERT_TRUE(waitForState(RecordingSessionState::paused));
    const double firstPart = recorder.elapsed();
    QTest::qWait(2000);
    recorder.resume();
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(firstPart + 1.0));
    ASSERT_TRUE(test::pointAt(origin + pointerPlace));
    ASSERT_TRUE(recordUntil(firstPart + 4.0));
    recorder.stop();
    recorder.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finishes > 0; }, 60'000));
    QTest::qWait(500);
    EXPECT_EQ(finishes, 1) << "a stop asked twice finishes once";
    ASSERT_TRUE(finished && *finished) << finished->error().message().toStdString();
    const RecordedVideo video = finished->value();
    EXPECT_FALSE(video.interruption.has_value()) << video.interruption->toStdString();

    // Two parts of about four seconds each, joined end to end.
    ASSERT_EQ(recorder.segments().size(), 2);
    double parts = 0;
    for (const RecordedVideo& part : recorder.segments()) {
        EXPECT_NEAR(part.duration, 4.0, 0.5);
        parts += part.duration;
    }
    EXPECT_NEAR(video.duration, parts, 0.2);
    EXPECT_NEAR(formatDuration(take), parts, 0.2);

    const QList<QImage> pictures = test::decodePictures(take);
    const QList<QImage> lumas = test::decodeLuma(take);
    const QList<double> times = test::pictureTimes(take);
    ASSERT_FALSE(pictures.isEmpty());
    ASSERT_EQ(times.size(), pictures.size());
    EXPECT_EQ(pictures.first().size(), QSize(1000, 600)) << "an area 1001 wide is written 1000 wide";

    const QImage& first = pictures.first();
    for (int patch = 0; patch < card.size(); ++patch) {
        const QPoint centre = cardPatch.translated(patch * cardPatch.width(), 0).center();
        EXPECT_LE(channelDistance(first.pixel(centre), card[patch]), 6)
            << "patch " << patch << ": " << std::hex << first.pixel(centre);
    }
    EXPECT_GE(lumaPsnr(grab.copy(textPlace), lumas.first().copy(textPlace)), 40.0) << "the page stays crisp";

    for (const QImage& picture : pictures)
        EXPECT_EQ(pixelsOffField(picture, panelPlace), 0) << "our panel never shows; the field beneath it does";

    const QRect aroundPointer(pointerPlace - QPoint(24, 24), QSize(48, 48));
    EXPECT_EQ(pixelsOffField(first, aroundPointer), 0) << "no pointer while it was away";
    EXPECT_GT(pixelsOffField(pictures.last(), aroundPointer), 20) << "the pointer where it was moved";
    EXPECT_EQ(pixelsOffField(pictures.last(), QRect(600, 480, 400, 120)), 0) << "and nowhere else";

    // The flash and the beep meet in the file as they met on the screen
    // and in the sink. The flash reached the screen after it was asked for
    // and by the time the test saw it; in the file, after the last dark
    // picture and by the first white one. Placed in the file by the beep's
    // onset, the first span meets the second: each side's own delays (a
    // test or a grab that waits its turn) only widen its span.
    qsizetype white = 0;
    while (white < pictures.size() && qGray(pictures[white].pixel(flashPlace.center())) < 128) ++white;
    ASSERT_LT(white, pictures.size());
    ASSERT_GT(white, 0) << "the first picture is dark";
    const std::vector<float> samples = test::decodeSound(take);
    const std::optional<double> onset = beepOnset(samples);
    ASSERT_TRUE(onset.has_value());
    const std::optional<Clock::time_point> beeped = beeper.beepTime();
    ASSERT_TRUE(beeped.has_value());
    const double askedInFile = *onset - secondsBetween(asked, *beeped);
    const double seenInFile = *onset - secondsBetween(flashed, *beeped);
    const double darkInFile = times[white - 1];
    const double whiteInFile = times[white];
    const auto spans = [&] {
        return "beep " + std::to_string(*onset) + " s; flash asked " + std::to_string(askedInFile) + " s, seen " +
               std::to_string(seenInFile) + " s; pictures dark " + std::to_string(darkInFile) + " s, white " +
               std::to_string(whiteInFile) + " s";
    };
    EXPECT_LT(askedInFile, whiteInFile + 0.040) << spans();
    EXPECT_GT(seenInFile, darkInFile - 0.040) << spans();

    // The microphone's tone and what the computer played, mixed, through
    // most of the take (counted by tenths of a second: over the whole take
    // the tones' phases jump where its parts were joined).
    EXPECT_GT(test::toneCoverage(samples, 48000, 440, 0.05), 0.9);
    EXPECT_GT(test::toneCoverage(samples, 48000, 660, 0.05), 0.9);
}

TEST_F(ScreenRecorderOnX11Test, TooLittleFreeSpaceRefusesTheStartAndLeavesNoFile) {
    const FreeSpace::ScopedProbe nearlyFull([](const QString&) { return std::optional<qint64>(2'900'000'000); });
    const QByteArray before = test::folderDigest(dir.path());
    try {
        start(false);
        ADD_FAILURE() << "started";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("可用空间仅 2.9 GB。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。"));
    }
    EXPECT_EQ(recorder.state(), RecordingSessionState::idle);
    EXPECT_EQ(test::folderDigest(dir.path()), before);
}

}  // namespace
