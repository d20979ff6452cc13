#include "platform/camera/V4l2Camera.h"

#include "platform/ShotError.h"
#include "platform/camera/CameraDecoder.h"
#include "platform/camera/V4l2CameraOffers.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/threads/ThreadName.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <QLoggingCategory>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

namespace tavero::media {

namespace {

Q_LOGGING_CATEGORY(lcCamera, "tavero.webcam")

int stopRequested(void* flag) { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; }

// The name FFmpeg's video4linux2 input knows a coding by.
const char* inputFormatOf(CameraCoding coding) {
    switch (coding) {
    case CameraCoding::yuyv: return "yuyv422";
    case CameraCoding::uyvy: return "uyvy422";
    case CameraCoding::nv12: return "nv12";
    case CameraCoding::i420: return "yuv420p";
    case CameraCoding::mjpeg: return "mjpeg";
    }
    return "";
}

QByteArray sizeText(QSize size) { return QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height()); }

QByteArray rateText(CameraRate rate) {
    return QByteArray::number(rate.pictures) + '/' + QByteArray::number(rate.seconds);
}

// Options of the video4linux2 input.
using Options = QList<std::pair<const char*, QByteArray>>;

// What to ask the device for, best first: the mode chosen from what it
// offers (full HD in its own coding when it lists nothing), then whatever
// it gives of itself.
QList<Options> attempts(const CameraDevice& device) {
    const std::optional<CameraMode> mode = chooseCameraMode(readCameraOffers(device.node));
    if (!mode) return {{{"video_size", sizeText(largestCameraPicture)}}, {}};
    Options chosen{{"input_format", inputFormatOf(mode->coding)}, {"video_size", sizeText(mode->size)}};
    if (mode->rate) chosen.append({"framerate", rateText(*mode->rate)});
    qCInfo(lcCamera) << device.node << "asked for" << chosen;
    return {chosen, {}};
}

// Opens the node in the best mode it offers, or as it likes when it
// refuses that.
InputContext openInput(const CameraDevice& device, std::atomic<bool>& stop) {
    static std::once_flag registered;
    std::call_once(registered, [] { avdevice_register_all(); });
    const AVInputFormat* v4l2 = av_find_input_format("video4linux2");
    if (!v4l2) throw ShotError(CameraMessages::cameraBusy());
    for (const Options& attempt : attempts(device)) {
        AVFormatContext* context = avformat_alloc_context();
        if (!context) break;
        context->interrupt_callback = {stopRequested, &stop};
        // Reads never block, so a stop is never held up by a camera that
        // stopped delivering.
        context->flags |= AVFMT_FLAG_NONBLOCK;
        Dictionary options;
        for (const auto& [key, value] : attempt) av_dict_set(&options.entries, key, value.constData(), 0);
        const int opened = avformat_open_input(&context, device.node.toLocal8Bit().constData(), v4l2, &options.entries);
        if (opened >= 0) return InputContext(context);
        qCWarning(lcCamera) << device.node << "not opened:" << opened;
    }
    throw ShotError(CameraMessages::cameraBusy());
}

class V4l2Camera final : public CameraCapture {
public:
    V4l2Camera(const CameraDevice& device, Picture picture, Failed failed)
        : name_(device.name), picture_(std::move(picture)), failed_(std::move(failed)) {
        input_ = openInput(device, stop_);
        if (avformat_find_stream_info(input_.get(), nullptr) < 0) throw ShotError(CameraMessages::unreadable());
        try {
            stream_ = firstVideoStream(input_.get());
            decoder_.emplace(stream_);
        } catch (const std::exception& error) {
            qCWarning(lcCamera) << "no decoder:" << error.what();
            throw ShotError(CameraMessages::unreadable());
        }
        size_ = QSize(stream_->codecpar->width, stream_->codecpar->height);
        thread_ = std::thread([this] { run(); });
    }

    ~V4l2Camera() override {
        stop_ = true;
        thread_.join();
    }

    QString name() const override { return name_; }
    QSize size() const override { return size_; }

private:
    void run() {
        nameThisThread("tavero-camera");
        try {
            readPictures();
        } catch (const MediaError& error) {
            qCWarning(lcCamera) << "pictures not read:" << error.what();
            if (!stop_) failed_(CameraMessages::unreadable());
        } catch (const std::exception& error) {
            qCWarning(lcCamera) << "camera stopped:" << error.what();
            if (!stop_) failed_(CameraMessages::cameraLost());
        }
    }

    void readPictures() {
        const Packet packet = makePacket();
        while (!stop_) {
            const int read = av_read_frame(input_.get(), packet.get());
            if (read == AVERROR(EAGAIN)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            if (read < 0) {
                if (!stop_) failed_(CameraMessages::cameraLost());
                return;
            }
            const MonotonicTime arrived = std::chrono::steady_clock::now();
            if (packet->stream_index == stream_->index)
                decoder_->decode(packet.get(), [&](const QImage& picture) { picture_(picture, arrived); });
            av_packet_unref(packet.get());
        }
    }

    const QString name_;
    const Picture picture_;
    const Failed failed_;
    std::atomic<bool> stop_{false};
    InputContext input_;
    AVStream* stream_ = nullptr;
    std::optional<CameraDecoder> decoder_;
    QSize size_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<CameraCapture> openV4l2Camera(CameraCapture::Picture picture, CameraCapture::Failed failed) {
    const QList<CameraDevice> cameras = findCameras();
    if (cameras.isEmpty()) throw ShotError(CameraMessages::noCamera());
    return std::make_unique<V4l2Camera>(cameras.first(), std::move(picture), std::move(failed));
}

}  // namespace tavero::media
