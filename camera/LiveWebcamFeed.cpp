#include "camera/LiveWebcamFeed.h"

#include "platform/ShotError.h"
#include "platform/camera/V4l2Camera.h"
#include "platform/threads/MainThread.h"

#include <QLoggingCategory>
#include <QPointer>

namespace tavero {

namespace {

Q_LOGGING_CATEGORY(lcWebcam, "tavero.webcam")

}  // namespace

struct LiveWebcamFeed::Devices {
    // The microphone first: it is closed last, after the pictures stop.
    std::unique_ptr<SoundCapture> microphone;
    std::unique_ptr<CameraCapture> camera;
};

LiveWebcamFeed::LiveWebcamFeed(WebcamDevices devices) : devices_(std::move(devices)) {}

LiveWebcamFeed::~LiveWebcamFeed() {
    queue_.async([this] { running_.reset(); });
    queue_.waitUntilIdle();
}

QString LiveWebcamFeed::readyMessage(const QString& name, QSize size) {
    return name + QStringLiteral(" · ") + QString::number(size.width()) + QStringLiteral(" × ") +
           QString::number(size.height());
}

void LiveWebcamFeed::start(bool microphone, Completion completion) {
    const quint64 generation = ++generation_;
    publish(ready_, true, message_);
    const QPointer<LiveWebcamFeed> self(this);
    queue_.async([this, self, microphone, generation, completion = std::move(completion)] {
        bool ready = false;
        QString message;
        try {
            message = open(microphone, generation);
            ready = true;
        } catch (const ShotError& error) {
            running_.reset();
            message = error.message();
        } catch (const std::exception& error) {
            qCWarning(lcWebcam) << "camera not opened:" << error.what();
            running_.reset();
            message = QStringLiteral("摄像头被其他应用占用或暂时不可用。");
        }
        postToMain([self, generation, ready, message, completion] {
            if (self) self->opened(generation, ready, message, completion);
        });
    });
}

QString LiveWebcamFeed::open(bool microphone, quint64 generation) {
    running_.reset();
    auto devices = std::make_unique<Devices>();
    const QPointer<LiveWebcamFeed> self(this);
    const auto failed = [self, generation](const QString& description) {
        postToMain([self, generation, description] {
            if (self) self->lost(generation, description);
        });
    };
    const CameraCapture::Open openCamera = devices_.openCamera ? devices_.openCamera : media::openV4l2Camera;
    devices->camera = openCamera([this](const QImage& picture, MonotonicTime captured) { accept(picture, captured); },
                                 failed);
    if (microphone)
        devices->microphone = devices_.openSound(
            {SoundInput::microphone}, [this](const SoundChunk& sound) { accept(sound); }, failed);
    const QString message = readyMessage(devices->camera->name(), devices->camera->size());
    running_ = std::move(devices);
    return message;
}

void LiveWebcamFeed::opened(quint64 generation, bool ready, const QString& message, const Completion& completion) {
    if (generation != generation_) return;
    publish(ready, false, message);
    if (completion) completion(ready);
}

void LiveWebcamFeed::lost(quint64 generation, const QString& description) {
    if (generation != generation_ || !ready_) return;
    publish(false, false, description);
}

void LiveWebcamFeed::stop() {
    ++generation_;
    observe(nullptr);
    publish(false, false, message_);
    queue_.async([this] {
        running_.reset();
        forgetLatest();
    });
}

void LiveWebcamFeed::publish(bool ready, bool preparing, const QString& message) {
    if (ready == ready_ && preparing == preparing_ && message == message_) return;
    ready_ = ready;
    preparing_ = preparing;
    message_ = message;
    emit changed();
}

}  // namespace tavero
