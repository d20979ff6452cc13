#include "camera/RecordingCompositor.h"
#include "camera/SmartCameraTrack.h"
#include "camera/SmartVideoMessages.h"
#include "camera/SmartVideoRender.h"
#include "camera/SmartVideoRenderer.h"
#include "recording/JoinSteps.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tavero;

namespace {

constexpr double seconds = 20;
const QSize source1080(1920, 1080);

// The pointer circles around (0.7, 0.35) once every 4 s and clicks twice a
// second, sampled 30 times a second like the pointer recorder does.
QList<CursorSample> circlingPointer(double length) {
    QList<CursorSample> samples;
    for (int i = 0; i <= int(length * 30); ++i) {
        const double time = i / 30.0, angle = 2 * std::numbers::pi * time / 4;
        samples.append({time, 0.7 + 0.1 * std::cos(angle), 0.35 + 0.1 * std::sin(angle), true, i % 15 == 0});
    }
    return samples;
}

RecordingProject projectFor(const QString& video, double length, RecordingEffects effects = {}) {
    RecordingProject project;
    project.sourceFile = QFileInfo(video).fileName();
    project.targetName = QStringLiteral("显示器");
    project.duration = length;
    project.effects = effects;
    project.samples = circlingPointer(length);
    return project;
}

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// The picture shown at `time`, as FFmpeg's command line decodes it.
QImage pictureAt(const QString& path, double time, QSize size) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                  QStringLiteral("-nostdin"), QStringLiteral("-ss"), QString::number(time), QStringLiteral("-i"), path,
                  QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
                  QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(120'000)) return {};
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    if (raw.size() != qsizetype(size.width()) * size.height() * 3) return {};
    return QImage(reinterpret_cast<const uchar*>(raw.constData()), size.width(), size.height(), size.width() * 3,
                  QImage::Format_RGB888)
        .convertToFormat(QImage::Format_RGB32);
}

// Peak signal-to-noise ratio of two pictures of one size over `area`, in dB.

// The largest step in grey level between neighbouring pixels: large at
// the edges of sharp content, small everywhere in a blur.
int sharpness(const QImage& image, const QRect& area) {
    int largest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            largest = std::max(largest, std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))));
    return largest;
}

QString probe(const QString& entries, const QString& path, const QString& stream = QStringLiteral("v:0")) {
    return test::ffprobe({QStringLiteral("-select_streams"), stream, QStringLiteral("-show_entries"), entries,
                          QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                         path)
        .trimmed();
}

// Every sound packet's times, size and bytes.
QString soundPackets(const QString& path) {
    return test::ffprobe({QStringLiteral("-select_streams"), QStringLiteral("a"), QStringLiteral("-show_entries"),
                          QStringLiteral("packet=stream_index,pts,dts,duration,size,data_hash"),
                          QStringLiteral("-show_data_hash"), QStringLiteral("md5"), QStringLiteral("-of"),
                          QStringLiteral("csv=p=0")},
                         path);
}

// What one export said, and when.
struct Answers {
    std::vector<double> progress;
    std::vector<qint64> progressAt;
    std::vector<SmartVideoExporter::Outcome> outcomes;
    QElapsedTimer clock;

    Answers() { clock.start(); }
    SmartVideoExporter::Progress onProgress() {
        return [this](double fraction) {
            progress.push_back(fraction);
            progressAt.push_back(clock.elapsed());
        };
    }
    SmartVideoExporter::Completion onCompletion() {
        return [this](SmartVideoExporter::Outcome outcome) { outcomes.push_back(std::move(outcome)); };
    }
};

// Runs the event loop until `done` holds, at most ten minutes or `patience`.
template <typename Condition>
bool waitFor(Condition done, qint64 patience = 600'000) {
    const QDeadlineTimer deadline(patience);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

QString errorOf(const SmartVideoExporter::Outcome& outcome) {
    const auto* error = std::get_if<ShotError>(&outcome);
    return error ? error->message() : QString();
}

// One 20 s 1920 × 1080 recording with a sound track, made once for all tests.
class SmartVideoRendererTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempDir;
        test::makeVideo(source(), {.duration = seconds, .size = source1080, .audio = {test::systemTone}});
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static QString source() { return folder_->file(QStringLiteral("录屏_1.mp4")); }
    static QString file(const QString& name) { return folder_->file(name); }

    static test::TempDir* folder_;
};

test::TempDir* SmartVideoRendererTest::folder_ = nullptr;

}  // namespace

TEST_F(SmartVideoRendererTest, RendersTheFramedZoomingCutWithTheSoundCopied) {
    ASSERT_FALSE(HasFatalFailure());
    const QString output = file(QStringLiteral("讲解成片_1.mp4"));
    const RecordingProject project = projectFor(source(), seconds);
    SmartVideoRenderer renderer;
    Answers answers;
    renderer.exportVideo(source(), output, project, answers.onProgress(), answers.onCompletion());
    ASSERT_TRUE(waitFor([&] { return !answers.outcomes.empty(); }));
    ASSERT_EQ(answers.outcomes.size(), 1u);
    ASSERT_EQ(std::get_if<QString>(&answers.outcomes[0]) ? *std::get_if<QString>(&answers.outcomes[0]) : QString(),
              output)
        << errorOf(answers.outcomes[0]).toStdString();
    EXPECT_FALSE(renderer.rendering());

    // Progress: at once, then at most four times a second, then 1 last.
    ASSERT_GE(answers.progress.size(), 2u);
    EXPECT_LT(answers.progress.front(), 0.2);
    EXPECT_EQ(answers.progress.back(), 1);
    for (size_t i = 1; i + 1 < answers.progress.size(); ++i) {
        EXPECT_GE(answers.progress[i], answers.progress[i - 1]);
        EXPECT_GE(answers.progressAt[i] - answers.progressAt[i - 1], 240);
    }

    EXPECT_EQ(probe(QStringLiteral("stream=codec_name,width,height,pix_fmt"), output).toStdString(),
              "h264,2048,1208,yuv420p");
    EXPECT_NEAR(probe(QStringLiteral("stream=duration"), output).toDouble(), seconds, 1.0 / 30);
    EXPECT_EQ(test::pictureTimes(output).size(), int(seconds * 30));
    EXPECT_EQ(soundPackets(output).toStdString(), soundPackets(source()).toStdString())
        << "the sound is copied packet for packet";
    EXPECT_EQ(test::soundTrackTags(output), QStringList{QStringLiteral("system")});

    // The picture at 10 s.
    const QImage shown = pictureAt(output, 10, {2048, 1208});
    const QImage raw = pictureAt(source(), 10, source1080);
    ASSERT_FALSE(shown.isNull());
    ASSERT_FALSE(raw.isNull());
    const int inset = 64;
    const QRect inside(inset, inset, 1920, 1080);
    EXPECT_GT(sharpness(raw, raw.rect()), 100);
    EXPECT_LT(sharpness(shown, QRect(0, 0, 2048, inset - 8)), 12) << "the border is blurred";

    // The viewport: zoomed in, centred near the pointer, and what it shows
    // is that part of the source.
    const CameraPose pose = SmartCameraTrack(project.samples, project.effects).at(10);
    const double angle = 2 * std::numbers::pi * 10 / 4;
    EXPECT_GT(pose.zoom, 1.5);
    EXPECT_LT(std::hypot(pose.x - (0.7 + 0.1 * std::cos(angle)), pose.y - (0.35 + 0.1 * std::sin(angle))), 0.12);
    const QRectF view = SmartCameraTrack::viewport(pose, QSizeF(source1080));
    const QRect crop(int(std::lround(view.x())), int(std::lround(1080 - view.y() - view.height())),
                     int(std::lround(view.width())), int(std::lround(view.height())));
    const QImage zoomed = raw.copy(crop).scaled(source1080, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage shownInside = shown.copy(inside);
    EXPECT_GT(test::psnr(shownInside, zoomed, QRect(40, 40, 1840, 1000)), 24);
    EXPECT_LT(test::psnr(shownInside, raw, QRect(40, 40, 1840, 1000)), 18) << "not the whole frame";

    // The rounded frame: the corner's outermost pixel is the backdrop's,
    // while the middle of the frame's top edge is already the picture's.
    const auto distance = [](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    };
    EXPECT_LT(distance(shown.pixel(inset, inset), shown.pixel(inset - 4, inset - 4)), 30);
    EXPECT_GT(distance(shown.pixel(inset, inset), zoomed.pixel(0, 0)), 100);
    EXPECT_LT(distance(shown.pixel(inset + 960, inset + 1), zoomed.pixel(960, 1)), 40);
    const QImage expected = RecordingCompositor(source1080, project.effects).frame(raw, pose);
    EXPECT_GT(test::psnr(shown, expected, QRect(0, 0, 2048, 1208)), 28) << "the picture the compositor draws";
}

TEST_F(SmartVideoRendererTest, ASecondRenderIsRefusedAndACancelledOneLeavesNothing) {
    ASSERT_FALSE(HasFatalFailure());
    const QByteArray before = digest(source());
    const QStringList filesBefore = QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden);
    const QString output = file(QStringLiteral("讲解成片_2.mp4"));
    SmartVideoRenderer renderer;
    Answers first, second;
    renderer.exportVideo(source(), output, projectFor(source(), seconds), first.onProgress(), first.onCompletion());
    renderer.exportVideo(source(), file(QStringLiteral("讲解成片_3.mp4")), projectFor(source(), seconds),
                         second.onProgress(), second.onCompletion());
    ASSERT_TRUE(waitFor([&] { return !second.outcomes.empty(); }));
    EXPECT_EQ(errorOf(second.outcomes[0]), SmartVideoMessages::notCreated());
    EXPECT_TRUE(second.progress.empty());
    EXPECT_TRUE(renderer.rendering()) << "the first render goes on";

    // Cancelled at 30 %, it answers once, and nothing of it stays.
    ASSERT_TRUE(waitFor([&] { return !first.progress.empty() && first.progress.back() >= 0.3; }));
    renderer.cancel();
    renderer.cancel();
    ASSERT_TRUE(waitFor([&] { return !first.outcomes.empty(); }));
    QElapsedTimer settle;
    settle.start();
    waitFor([&] { return settle.elapsed() > 500; });
    ASSERT_EQ(first.outcomes.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<SmartVideoExporter::Cancelled>(first.outcomes[0]));
    EXPECT_LT(first.progress.back(), 1);
    EXPECT_EQ(second.outcomes.size(), 1u);
    EXPECT_FALSE(renderer.rendering());
    EXPECT_EQ(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    EXPECT_EQ(digest(source()), before) << "the recording is only read";
}

TEST_F(SmartVideoRendererTest, ARendererGoneMidwayStopsItsRenderAndAnswersNoMore) {
    ASSERT_FALSE(HasFatalFailure());
    const QStringList filesBefore = QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden);
    Answers answers;
    {
        SmartVideoRenderer renderer;
        renderer.exportVideo(source(), file(QStringLiteral("讲解成片_4.mp4")), projectFor(source(), seconds),
                             answers.onProgress(), answers.onCompletion());
        ASSERT_TRUE(waitFor([&] { return !answers.progress.empty() && answers.progress.back() > 0; }));
    }
    const size_t reports = answers.progress.size();
    QElapsedTimer settle;
    settle.start();
    waitFor([&] { return settle.elapsed() > 700; });
    EXPECT_TRUE(answers.outcomes.empty());
    EXPECT_EQ(answers.progress.size(), reports);
    EXPECT_EQ(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
}

// A FIFO once kept the render waiting for a writer, beyond any cancel and
// the program's end.
TEST(SmartVideoRenderTest, ARawRecordingThatIsAFifoIsRefusedAtOnce) {
    test::TempDir folder;
    SmartVideoRenderer renderer;
    const test::Fifo fifo(folder.file(QStringLiteral("录屏.mp4")));
    Answers answers;
    renderer.exportVideo(fifo.path(), folder.file(QStringLiteral("成片.mp4")), projectFor(fifo.path(), 1),
                         answers.onProgress(), answers.onCompletion());
    ASSERT_TRUE(waitFor([&] { return !answers.outcomes.empty(); }, 60'000)) << "no answer while a writer is awaited";
    EXPECT_EQ(errorOf(answers.outcomes[0]), SmartVideoMessages::sourceUnreadable());
}

TEST(SmartVideoRenderTest, WithoutEffectsThePictureComesOutAsItWent) {
    test::TempDir folder;
    const QString source = folder.file(QStringLiteral("录屏.mp4")), output = folder.file(QStringLiteral("成片.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(source, {.duration = 2, .size = source1080, .audio = {test::systemTone}}));
    RenderProgress progress;
    SmartVideoRender::render(source, output, projectFor(source, 2, {false, false, 1.65, 0.06, 24}), {}, progress);
    EXPECT_EQ(progress.fraction(), 1);
    EXPECT_EQ(probe(QStringLiteral("stream=width,height"), output).toStdString(), "1920,1080");
    const QImage shown = pictureAt(output, 1, source1080), raw = pictureAt(source, 1, source1080);
    ASSERT_FALSE(shown.isNull());
    EXPECT_GT(test::psnr(shown, raw, raw.rect()), 35);
}

// PAL's 720 × 576 of 16:15 pixels show 768 × 576.
TEST(SmartVideoRenderTest, PixelsThatAreNotSquareAreRenderedAtTheShapeTheyShow) {
    test::TempDir folder;
    const QString source = folder.file(QStringLiteral("录屏.mp4")), output = folder.file(QStringLiteral("成片.mp4"));
    ASSERT_NO_FATAL_FAILURE(
        test::makeVideo(source, {.duration = 1, .size = {720, 576}, .pixelAspect = QStringLiteral("16/15")}));
    RenderProgress progress;
    SmartVideoRender::render(source, output, projectFor(source, 1, {false, false, 1.65, 0.06, 24}), {}, progress);
    EXPECT_EQ(probe(QStringLiteral("stream=width,height"), output).toStdString(), "768,576");
}

TEST(SmartVideoRenderTest, RefusesAFileWithoutPicturesAndNeverReplacesAFile) {
    test::TempDir folder;
    const QString sound = folder.file(QStringLiteral("声音.mp4")), video = folder.file(QStringLiteral("录屏.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(sound, {.duration = 1, .size = {}, .codec = QString(), .audio = {test::systemTone}}));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(video, {1, {320, 240}}));
    const QString taken = folder.file(QStringLiteral("成片.mp4"));
    QFile existing(taken);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("mine") == 4);
    existing.close();
    const auto failure = [&](const QString& source, const QString& destination) {
        RenderProgress progress;
        try {
            SmartVideoRender::render(source, destination, projectFor(source, 1), {}, progress);
        } catch (const ShotError& error) {
            return error.message();
        }
        return QString();
    };

    EXPECT_EQ(failure(sound, folder.file(QStringLiteral("a.mp4"))), SmartVideoMessages::noVideo());
    EXPECT_EQ(failure(folder.file(QStringLiteral("没有.mp4")), folder.file(QStringLiteral("b.mp4"))),
              SmartVideoMessages::sourceUnreadable());
    EXPECT_EQ(failure(video, taken), JoinSteps::destinationTaken());
    EXPECT_EQ(failure(video, video), JoinSteps::destinationTaken());
    EXPECT_EQ(digest(taken), QCryptographicHash::hash("mine", QCryptographicHash::Sha256));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("声音.mp4"), QStringLiteral("录屏.mp4"), QStringLiteral("成片.mp4")}));
}

TEST(SmartVideoRenderTest, OutputsBeyond4096By2304AreHevc) {
    const RecordingEffects framed;
    EXPECT_EQ(SmartVideoRender::codecFor(RecordingCompositor::outputSize({1920, 1080}, framed)), media::VideoCodec::h264);
    EXPECT_EQ(RecordingCompositor::outputSize({3840, 2160}, framed), QSize(4100, 2420));
    EXPECT_EQ(SmartVideoRender::codecFor({4100, 2420}), media::VideoCodec::hevc);
    EXPECT_EQ(SmartVideoRender::codecFor({4096, 2304}), media::VideoCodec::h264);
    EXPECT_EQ(SmartVideoRender::codecFor({4098, 2000}), media::VideoCodec::hevc);
    EXPECT_EQ(SmartVideoRender::codecFor({3840, 2306}), media::VideoCodec::hevc);
}
