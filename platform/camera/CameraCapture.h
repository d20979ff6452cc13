#pragma once

#include "platform/Scheduler.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

namespace tavero {

// A running camera. Pictures and the one failure report arrive on the
// capture's own thread; handlers must return quickly. Destroying the
// capture stops it: once the destructor has returned, no handler runs.
class CameraCapture {
public:
    // One picture in Format_RGB32, stamped on the monotonic clock when it
    // arrived from the device.
    using Picture = std::function<void(const QImage& picture, MonotonicTime captured)>;
    // The camera went away or stopped delivering readable pictures;
    // `description` says so in a few Chinese words. At most once.
    using Failed = std::function<void(const QString& description)>;
    using Open = std::function<std::unique_ptr<CameraCapture>(Picture picture, Failed failed)>;

    // Pictures alive at once, whose memory a capture keeps for the next ones
    // (PicturePool): the feed's latest, the one waiting for a take, the one
    // a take composes, the one the preview shows and the one being made.
    static constexpr int picturesHeld = 5;

    CameraCapture() = default;
    CameraCapture(const CameraCapture&) = delete;
    CameraCapture& operator=(const CameraCapture&) = delete;
    virtual ~CameraCapture() = default;

    // The device's own name ("Integrated Camera").
    virtual QString name() const = 0;
    // The pictures' pixel size.
    virtual QSize size() const = 0;
};

// A video capture device of the kernel.
struct CameraDevice {
    QString name;
    // The device node ("/dev/video0").
    QString node;
};

// The capture devices listed under `root` (one folder per node, as in
// /sys/class/video4linux), in node order, leaving out the extra nodes a
// camera has for its metadata. Empty when the folder is missing.
QList<CameraDevice> findCameras(const QString& root = QStringLiteral("/sys/class/video4linux"));

// The sentences of a camera that cannot be used.
namespace CameraMessages {
inline QString noCamera() { return QStringLiteral("没有找到摄像头，请确认设备已连接。"); }
inline QString cameraBusy() { return QStringLiteral("摄像头被其他应用占用或暂时不可用。"); }
inline QString unreadable() { return QStringLiteral("无法读取摄像头画面。"); }
inline QString cameraLost() { return QStringLiteral("摄像头已断开"); }
}  // namespace CameraMessages

// A camera that draws its own pictures, for tests and machines without one:
// `rate` pictures a second of `size`, a test card whose moving bar shows
// every new picture, stamped when drawn. Its name is "合成摄像头".
std::unique_ptr<CameraCapture> openSyntheticCamera(QSize size, double rate, CameraCapture::Picture picture,
                                                   CameraCapture::Failed failed);

}  // namespace tavero
