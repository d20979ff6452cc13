#include "platform/media/V4l2Camera.h"

#include "platform/PicturePool.h"
#include "platform/ShotError.h"
#include "platform/ThreadName.h"
#include "platform/media/MediaHandles.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <libyuv.h>

#include <QLoggingCategory>

#include <atomic>
#include <mutex>
#include <thread>

namespace tavero::media {

namespace {

Q_LOGGING_CATEGORY(lcCamera, "tavero.webcam")

int stopRequested(void* flag) { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; }

// Opens the node, asking for the full HD size first and taking what the
// device offers when it refuses that.
InputContext openInput(const CameraDevice& device, std::atomic<bool>& stop) {
    static std::once_flag registered;
    std::call_once(registered, [] { avdevice_register_all(); });
    const AVInputFormat* v4l2 = av_find_input_format("video4linux2");
    if (!v4l2) throw ShotError(CameraMessages::cameraBusy());
    for (const bool fullHD : {true, false}) {
        AVFormatContext* context = avformat_alloc_context();
        if (!context) break;
        context->interrupt_callback = {stopRequested, &stop};
        // Reads never block, so a stop is never held up by a camera that
        // stopped delivering.
        context->flags |= AVFMT_FLAG_NONBLOCK;
        AVDictionary* options = nullptr;
        if (fullHD) av_dict_set(&options, "video_size", "1920x1080", 0);
        const int opened = avformat_open_input(&context, device.node.toLocal8Bit().constData(), v4l2, &options);
        av_dict_free(&options);
        if (opened >= 0) return InputContext(context);
        qCWarning(lcCamera) << device.node << "not opened:" << opened;
    }
    throw ShotError(CameraMessages::cameraBusy());
}

// Writes a decoded frame into an RGB32 picture; false for a layout we do
// not read.
bool convert(const AVFrame& frame, QImage& picture) {
    uint8_t* out = picture.bits();
    const int stride = static_cast<int>(picture.bytesPerLine());
    const int w = frame.width, h = frame.height;
    const auto* const* d = frame.data;
    const int* s = frame.linesize;
    switch (frame.format) {
    case AV_PIX_FMT_YUYV422: return libyuv::YUY2ToARGB(d[0], s[0], out, stride, w, h) == 0;
    case AV_PIX_FMT_YUV420P: return libyuv::I420ToARGB(d[0], s[0], d[1], s[1], d[2], s[2], out, stride, w, h) == 0;
    case AV_PIX_FMT_YUVJ420P: return libyuv::J420ToARGB(d[0], s[0], d[1], s[1], d[2], s[2], out, stride, w, h) == 0;
    case AV_PIX_FMT_YUV422P: return libyuv::I422ToARGB(d[0], s[0], d[1], s[1], d[2], s[2], out, stride, w, h) == 0;
    case AV_PIX_FMT_YUVJ422P: return libyuv::J422ToARGB(d[0], s[0], d[1], s[1], d[2], s[2], out, stride, w, h) == 0;
    default: return false;
    }
}

class V4l2Camera final : public CameraCapture {
public:
    V4l2Camera(const CameraDevice& device, Picture picture, Failed failed)
        : name_(device.name), picture_(std::move(picture)), failed_(std::move(failed)) {
        input_ = openInput(device, stop_);
        if (avformat_find_stream_info(input_.get(), nullptr) < 0) throw ShotError(CameraMessages::unreadable());
        try {
            stream_ = firstVideoStream(input_.get());
            decoder_ = openDecoder(stream_);
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
        } catch (const std::exception& error) {
            qCWarning(lcCamera) << "camera stopped:" << error.what();
            if (!stop_) failed_(CameraMessages::cameraLost());
        }
    }

    void readPictures() {
        const Packet packet = makePacket();
        const Frame frame = makeFrame();
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
            const bool ours = packet->stream_index == stream_->index;
            if (ours && avcodec_send_packet(decoder_.get(), packet.get()) >= 0)
                while (avcodec_receive_frame(decoder_.get(), frame.get()) >= 0) deliver(*frame, arrived);
            av_packet_unref(packet.get());
        }
    }

    void deliver(AVFrame& frame, MonotonicTime arrived) {
        QImage picture = pictures_.take(QSize(frame.width, frame.height));
        const bool converted = !picture.isNull() && convert(frame, picture);
        av_frame_unref(&frame);
        if (converted) picture_(picture, arrived);
    }

    const QString name_;
    const Picture picture_;
    const Failed failed_;
    std::atomic<bool> stop_{false};
    InputContext input_;
    AVStream* stream_ = nullptr;
    CodecContext decoder_;
    QSize size_;
    PicturePool pictures_{picturesHeld};
    std::thread thread_;
};

}  // namespace

std::unique_ptr<CameraCapture> openV4l2Camera(CameraCapture::Picture picture, CameraCapture::Failed failed) {
    const QList<CameraDevice> cameras = findCameras();
    if (cameras.isEmpty()) throw ShotError(CameraMessages::noCamera());
    return std::make_unique<V4l2Camera>(cameras.first(), std::move(picture), std::move(failed));
}

}  // namespace tavero::media
