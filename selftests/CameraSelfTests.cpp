#include "selftests/CameraSelfTests.h"

#include "camera/LiveWebcamFeed.h"
#include "camera/PortraitCompositor.h"
#include "camera/WebcamRecordingSegment.h"
#include "document/ImageOps.h"
#include "platform/media/Concatenation.h"
#include "platform/media/MediaTracks.h"
#include "platform/threads/MainThread.h"
#include "recording/RecordingAudioMixJoiner.h"
#include "recording/RecordingSession.h"
#include "selftests/CameraSuiteSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUuid>

#include <cmath>
#include <numbers>
#include <vector>

namespace tavero::selftests::CameraSelfTests {

namespace {

using namespace camera;

constexpr int pumpSteps = 36;
constexpr int stepMilliseconds = 34;
constexpr int soundFrames = 1600;

QString uuid() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

QString workingFolder() {
    const QString folder = QCoreApplication::arguments().constLast();
    if (!QDir().mkpath(folder)) throw ShotError(QStringLiteral("cannot create ") + folder);
    return QDir(folder).absolutePath();
}

// One take's worth of camera frames of `colour`, each followed by 1/30 s of
// a 440 Hz tone at 0.12 stamped with the frame's time.
void pump(WebcamFeed& feed, QColor colour) {
    std::vector<float> tone(soundFrames);
    for (int n = 0; n < soundFrames; ++n)
        tone[size_t(n)] = float(std::sin(2 * std::numbers::pi * 440 * n / 48000.0) * 0.12);
    const QImage frame = solid(colour);
    for (int step = 0; step < pumpSteps; ++step) {
        const MonotonicTime now = std::chrono::steady_clock::now();
        feed.accept(frame, now);
        feed.accept(SoundChunk{SoundInput::microphone, tone.data(), soundFrames, 1, 48000, now});
        pauseFor(stepMilliseconds);
    }
}

QList<media::MediaTrack> tracksOf(const QString& path, media::TrackKind kind) {
    QList<media::MediaTrack> found;
    for (const media::MediaTrack& track : media::readTracks(path))
        if (track.kind == kind) found.append(track);
    return found;
}

RecordedVideo recordPausedTake(const QString& folder) {
    const QString destination = folder + QStringLiteral("/camera-pause-") + uuid() + QStringLiteral(".mp4");
    LiveWebcamFeed feed;
    RecordingSession session;
    ResultBox box;
    session.onFinished = [&box](Result<RecordedVideo> result) { box = std::move(result); };
    CameraFraming framing;
    framing.aspect = CameraAspect::portrait34;
    session.begin(destination, WebcamRecordingSegment::parts(feed, std::nullopt, {false, false, 1.65, 0.06, 24}, true,
                                                             framing));

    pump(feed, QColor::fromRgbF(0.9f, 0.15f, 0.1f));
    session.pause();
    waitUntil([&] { return session.state() == RecordingSessionState::paused || box; }, 200);
    if (session.state() != RecordingSessionState::paused)
        throw ShotError(QStringLiteral("camera pause failed: ") + describe(box));
    const double before = session.elapsed();
    pauseFor(250);
    if (session.elapsed() != before) throw ShotError(QStringLiteral("pause timer kept running"));

    session.resume();
    pump(feed, QColor::fromRgbF(0.1f, 0.65f, 0.25f));
    session.stop();
    if (!waitUntil([&] { return box.has_value(); }, 800)) throw ShotError(QStringLiteral("camera writer did not finish"));
    if (!box->ok()) throw box->error();
    return box->value();
}

void checkRecording(const RecordedVideo& video) {
    const QList<media::MediaTrack> pictures = tracksOf(video.url, media::TrackKind::video);
    const QList<media::MediaTrack> sounds = tracksOf(video.url, media::TrackKind::sound);
    if (pictures.isEmpty() || pictures[0].coding.width != 1080 || pictures[0].coding.height != 1440 ||
        sounds.size() != 1)
        throw ShotError(QStringLiteral("camera output missing portrait video/audio"));
    if (!(video.duration > 2 && video.duration < 5) || std::abs(sounds[0].length - video.duration) >= 0.2)
        throw ShotError(QStringLiteral("camera audio/video duration mismatch"));
}

void writePortraitShapes(const QString& folder) {
    const QImage screen = solid(Qt::blue, 1000, 600);
    const QImage camera = solid(Qt::red);
    for (const PortraitShape shape : allPortraitShapes) {
        const PortraitLayout layout{shape, 0.5, 0.5, 0.3, false, true};
        if (!QRectF(0, 0, 1000, 600).contains(layout.rect({1000, 600})))
            throw ShotError(QStringLiteral("portrait outside canvas"));
        QImage composite = screen.copy();
        PortraitCompositor::paint(camera, composite, layout);
        QFile file(folder + QStringLiteral("/portrait-") + rawValue(shape) + QStringLiteral(".png"));
        if (!file.open(QIODevice::WriteOnly) || file.write(ImageOps::png(composite, QStringLiteral("png"))) < 0)
            throw ShotError(QStringLiteral("cannot write ") + file.fileName());
    }
}

// A copy of the recording whose one sound track is there twice, as system
// sound and microphone are, mixed back into one by the camera take's joiner.
QString mixTwoSoundTracks(const QString& folder, const RecordedVideo& video) {
    const QString dual = folder + QStringLiteral("/dual-audio-") + uuid() + QStringLiteral(".mp4");
    const int picture = tracksOf(video.url, media::TrackKind::video).value(0).stream;
    const int sound = tracksOf(video.url, media::TrackKind::sound).value(0).stream;
    media::concatenate({media::ConcatSource{video.url, video.duration, {picture, sound, sound}}}, dual);
    if (tracksOf(dual, media::TrackKind::sound).size() != 2)
        throw ShotError(QStringLiteral("dual-audio fixture lacks its second audio track"));
    const QString mixed = folder + QStringLiteral("/mixed-audio-") + uuid() + QStringLiteral(".mp4");
    RecordingAudioMixJoiner::join({RecordedVideo{dual, video.duration, std::nullopt}}, mixed);
    if (tracksOf(mixed, media::TrackKind::sound).size() != 1)
        throw ShotError(QStringLiteral("system and mic were not mixed"));
    return mixed;
}

void runSuite() {
    const QString folder = workingFolder();
    const RecordedVideo video = recordPausedTake(folder);
    checkRecording(video);
    writePortraitShapes(folder);
    const QString mixed = mixTwoSoundTracks(folder, video);
    pass(QStringLiteral("two source audio tracks are mixed into one playable audio track"));
    std::printf("%s\n", mixed.toUtf8().constData());
    pass(QStringLiteral(
        "1080x1440 portrait encode, microphone AAC, pause/resume, joined A/V duration, three portrait shapes"));
    std::printf("%s\n", video.url.toUtf8().constData());
    std::fflush(stdout);
    framingTests(folder);
}

}  // namespace

void run(Finished finished) {
    postToMain([finished = std::move(finished)] {
        std::optional<QString> failure;
        try {
            runSuite();
        } catch (const ShotError& error) {
            failure = error.message();
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        finished(failure);
    });
}

}  // namespace tavero::selftests::CameraSelfTests
