#pragma once

#include "platform/camera/CameraCapture.h"
#include "platform/media/MediaHandles.h"
#include "platform/memory/PicturePool.h"

#include <QImage>

#include <functional>

namespace tavero::media {

// Turns the packets of a camera's stream into RGB32 pictures, whether the
// camera sends them raw (YUYV, UYVY, NV12, I420) or as MJPEG, each as soon
// as its packet is in. Owned by the camera's reading thread.
class CameraDecoder {
public:
    using Picture = std::function<void(const QImage& picture)>;

    // Throws MediaError when there is no decoder for the stream's coding.
    explicit CameraDecoder(const AVStream* stream);

    // Hands each picture `packet` completes to `picture`. A packet the
    // decoder refuses (a JPEG damaged on the way) gives none. Throws
    // MediaError for a picture in a layout we cannot convert.
    void decode(const AVPacket* packet, const Picture& picture);

private:
    CodecContext decoder_;
    Frame frame_;
    // The pictures' memory, kept while the camera runs.
    PicturePool pictures_{CameraCapture::picturesHeld};
};

}  // namespace tavero::media
