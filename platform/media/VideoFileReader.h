#pragma once

#include "platform/media/CancelToken.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

namespace tavero::media {

// One decoded picture of a video file.
struct VideoPicture {
    // Opaque, QImage::Format_RGB32.
    QImage image;
    // Seconds from the start of the video stream.
    double time = 0;
};

// Decodes the first video stream of a file into pictures, one after another
// in showing order, converted back to RGB with the matrix and range the
// stream is tagged with (BT.601 when it says nothing), turned upright as
// its display matrix asks (a phone's video) and at the size they show at,
// pixels that are not square made so (PixelAspect.h). One thread at a time.
class VideoFileReader {
public:
    // Opens the file and its decoder. Throws MediaError when the file is
    // missing, no known container, has no video stream or no decoder for it,
    // and (abandoned) once `cancel` is cancelled.
    VideoFileReader(const QString& path, const CancelToken& cancel);
    ~VideoFileReader();
    VideoFileReader(const VideoFileReader&) = delete;
    VideoFileReader& operator=(const VideoFileReader&) = delete;

    // The size the pictures show at, upright: the size of next()'s.
    QSize size() const;
    // Seconds from the stream's start to the end of its last picture, as the
    // file declares it; 0 when it declares nothing.
    double duration() const;
    // Where the stream starts on the file's time line, in seconds: what the
    // other tracks are measured against.
    double start() const;

    // The next picture; none after the last. Throws MediaError for a picture
    // that cannot be decoded or converted, and once `cancel` is cancelled.
    std::optional<VideoPicture> next();
    // The picture showing at `time`: the last one that starts by then, or
    // the first when none does yet; none for a video without pictures.
    // Only that picture is converted, scaled to `size` when one is given.
    // Times asked for never go back; next() and pictureAt() are not mixed.
    // Throws as next() does.
    std::optional<VideoPicture> pictureAt(double time, QSize size = {});

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tavero::media
