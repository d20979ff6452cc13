#pragma once

#include "camera/WebcamFeed.h"
#include "platform/camera/CameraCapture.h"
#include "platform/sound/SoundCapture.h"
#include "platform/threads/SerialQueue.h"

#include <memory>

namespace tavero {

// Where a live feed takes its camera and microphone from; tests give the
// synthetic camera (openSyntheticCamera) and a sound capture of their own.
struct WebcamDevices {
    using OpenSound = std::function<std::unique_ptr<SoundCapture>(
        const QList<SoundInput>&, SoundCapture::ChunkHandler, SoundCapture::FailureHandler)>;

    // The first V4L2 camera when empty.
    CameraCapture::Open openCamera;
    OpenSound openSound = openSoundCapture;
};

// The feed of a real camera (and the default microphone, when asked): opens
// and closes them on its own serial queue "tavero.webcam", whose order makes
// the devices end in the state of the last start() or stop(). Only the
// latest request's answer is published, on the main thread. Linux asks no
// camera permission, so a start goes straight to opening the camera.
class LiveWebcamFeed final : public WebcamFeed {
public:
    explicit LiveWebcamFeed(WebcamDevices devices = {});
    // Closes the devices and waits until they have stopped.
    ~LiveWebcamFeed() override;

    void start(bool microphone, Completion completion = {}) override;
    void stop() override;

    bool ready() const override { return ready_; }
    bool preparing() const override { return preparing_; }
    QString message() const override { return message_; }

    // "<name> · <width> × <height>".
    static QString readyMessage(const QString& name, QSize size);

private:
    struct Devices;
    // On the queue: closes what runs, then opens the camera and, when
    // asked, the microphone. Throws ShotError.
    QString open(bool microphone, quint64 generation);
    void opened(quint64 generation, bool ready, const QString& message, const Completion& completion);
    void lost(quint64 generation, const QString& description);
    void publish(bool ready, bool preparing, const QString& message);

    const WebcamDevices devices_;
    // The queue's alone.
    std::unique_ptr<Devices> running_;
    quint64 generation_ = 0;
    bool ready_ = false;
    bool preparing_ = false;
    QString message_ = QStringLiteral("摄像头未开启");
    // Last, so it is destroyed first: its tasks use the members above.
    SerialQueue queue_{QStringLiteral("tavero.webcam")};
};

}  // namespace tavero
