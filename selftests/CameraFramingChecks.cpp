#include "camera/LiveWebcamFeed.h"
#include "camera/WebcamRecordingSegment.h"
#include "document/ImageOps.h"
#include "platform/Json.h"
#include "platform/media/VideoFileReader.h"
#include "recording/ScreenRecorder.h"
#include "selftests/CameraSelfTests.h"
#include "selftests/CameraSuiteSupport.h"

#include <QFile>
#include <QPainter>
#include <QUuid>

#include <cmath>

namespace tavero::selftests::CameraSelfTests {

namespace {

using namespace camera;

constexpr QSizeF source(640, 360);
constexpr int encodeFrames = 26;

// Red top-left, green top-right, blue bottom-left, yellow bottom-right.
QImage testCard() {
    QImage card = solid(Qt::black);
    QPainter painter(&card);
    painter.fillRect(0, 0, 320, 180, Qt::red);
    painter.fillRect(320, 0, 320, 180, Qt::green);
    painter.fillRect(0, 180, 320, 180, Qt::blue);
    painter.fillRect(320, 180, 320, 180, QColor(255, 255, 0));
    return card;
}

CameraFraming framingOf(CameraAspect aspect, qint64 width, qint64 height, double x, double y, double scale) {
    return CameraFraming{aspect, width, height, x, y, scale};
}

bool insideUnitSquare(const QRectF& crop) {
    constexpr double slack = 1e-9;
    return crop.left() >= -slack && crop.top() >= -slack && crop.right() <= 1 + slack && crop.bottom() <= 1 + slack;
}

// The pixel at (x, y) counted from the bottom-left corner, as the checks
// name their points.
QRgb colourAt(const QImage& image, double x, double y) {
    const int column = std::clamp(int(std::floor(x)), 0, image.width() - 1);
    const int row = std::clamp(image.height() - 1 - int(std::floor(y)), 0, image.height() - 1);
    return image.pixel(column, row);
}

bool close(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 35 && std::abs(qGreen(a) - qGreen(b)) < 35 &&
           std::abs(qBlue(a) - qBlue(b)) < 35;
}

void checkAspects(QList<CameraFraming>& framings) {
    for (const CameraAspect aspect : allCameraAspects)
        if (aspect != CameraAspect::custom) framings.append(framingOf(aspect, 1080, 1440, 0.5, 0.5, 1));
    framings.append(framingOf(CameraAspect::custom, 1000, 1250, 0.3, 0.4, 0.8));
    for (const CameraFraming& framing : framings) {
        const QRectF crop = framing.cropRect(source);
        const QSize output = framing.outputSize();
        const double shown = crop.width() * source.width() / (crop.height() * source.height());
        check(insideUnitSquare(crop) && std::abs(shown - double(output.width()) / output.height()) < 0.00001,
              rawValue(framing.aspect) + QStringLiteral(" keeps source aspect and bounds"));
    }
}

void checkSelectionAndLimits(QList<CameraFraming>& framings, const QImage& card) {
    CameraFraming free;
    free.select(QRectF(0.15, 0.1, 0.3, 0.65), source);
    const QRectF crop = free.cropRect(source);
    check(std::abs(crop.left() - 0.15) < 0.001 && std::abs(crop.top() - 0.1) < 0.001 &&
              std::abs(crop.width() - 0.3) < 0.001 && std::abs(crop.height() - 0.65) < 0.001,
          QStringLiteral("free selection retains position, width and height"));
    framings.append(free);
    check(cameraFramingFromJson(json::parse(json::dump(toJson(free)))) == free,
          QStringLiteral("saved framing restores the custom selection"));
    check(framingOf(CameraAspect::custom, 0, 1440, 0.5, 0.5, 1).validationIssue().has_value(),
          QStringLiteral("invalid custom dimensions block recording"));
    check(framingOf(CameraAspect::custom, 1001, 1251, 0.5, 0.5, 1).outputSize() == QSize(1000, 1250),
          QStringLiteral("odd pixel dimensions produce a valid even encoder canvas"));
    check(insideUnitSquare(framingOf(CameraAspect::portrait916, 1080, 1440, -100, 100, 0.5).cropRect(source)),
          QStringLiteral("dragging past camera edges stays inside the image"));
    const CameraFraming corner = framingOf(CameraAspect::square, 1080, 1440, 0.2, 0.2, 0.3);
    const QRgb preview = colourAt(corner.render(card, false), 540, 540);
    const QRgb mirrored = colourAt(corner.render(card, true), 540, 540);
    check(qRed(preview) >= 231 && qGreen(preview) <= 19 && qGreen(mirrored) >= 231 && qRed(mirrored) <= 19,
          QStringLiteral("preview top-left crop and mirrored export select the same visible side"));
}

// The picture shown at `seconds` of the video.
QImage frameAt(const QString& path, double seconds) {
    media::VideoFileReader reader(path, {});
    QImage shown;
    while (const std::optional<media::VideoPicture> picture = reader.next()) {
        if (!shown.isNull() && picture->time > seconds) break;
        shown = picture->image;
    }
    return shown;
}

RecordedVideo encode(const CameraFraming& framing, const QImage& card, const QString& path) {
    LiveWebcamFeed feed;
    ScreenRecorder recorder;
    ResultBox box;
    recorder.onFinished = [&box](Result<RecordedVideo> result) { box = std::move(result); };
    recorder.startWithCamera(
        WebcamRecordingSegment::parts(feed, std::nullopt, {false, false, 1.65, 0.06, 24}, false, framing), path);
    for (int frame = 0; frame < encodeFrames; ++frame) {
        feed.accept(card, std::chrono::steady_clock::now());
        pauseFor(35);
    }
    recorder.stop();
    if (!waitUntil([&] { return box.has_value(); }, 600)) throw ShotError(QStringLiteral("framing video timed out"));
    if (!box->ok()) throw box->error();
    return box->value();
}

void checkEncode(const CameraFraming& framing, int index, const QImage& card, const QString& root, const QString& run) {
    const QString path = root + QStringLiteral("/aspect-%1-%2.mp4").arg(index).arg(run);
    const RecordedVideo video = encode(framing, card, path);
    const QImage decoded = frameAt(video.url, 0.3);
    if (decoded.isNull()) throw ShotError(QStringLiteral("missing framed video"));
    const QSize output = framing.outputSize();
    check(decoded.size() == output,
          QStringLiteral("encoded ") + rawValue(framing.aspect) + QStringLiteral(" MP4 is ") + framing.sizeLabel());
    const QImage expected = framing.render(card, true);
    for (const QPointF point : {QPointF(0.18 * output.width(), 0.21 * output.height()),
                                QPointF(0.81 * output.width(), 0.76 * output.height())})
        check(close(colourAt(decoded, point.x(), point.y()), colourAt(expected, point.x(), point.y())),
              QStringLiteral("encoded pixels match the preview crop and mirror"));
    QFile file(root + QStringLiteral("/aspect-%1.png").arg(index));
    if (!file.open(QIODevice::WriteOnly) || file.write(ImageOps::png(decoded, QStringLiteral("png"))) < 0)
        throw ShotError(QStringLiteral("cannot write ") + file.fileName());
}

}  // namespace

void framingTests(const QString& root) {
    const QImage card = testCard();
    QList<CameraFraming> framings;
    checkAspects(framings);
    checkSelectionAndLimits(framings, card);
    const QString run = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    for (int index = 0; index < framings.size(); ++index) checkEncode(framings[index], index, card, root, run);
    std::printf("ALL CAMERA FRAMING TESTS PASSED\n");
    std::fflush(stdout);
}

}  // namespace tavero::selftests::CameraSelfTests
