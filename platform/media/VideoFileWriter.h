#pragma once

#include "platform/media/CancelToken.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace tavero::media {

enum class VideoCodec { h264, hevc };

struct VideoFileFormat {
    // Even in both directions.
    QSize size;
    // H.264 with libx264 or HEVC with libx265, tagged with our colour description.
    VideoCodec codec = VideoCodec::h264;
    // Pictures per second, evenly spaced from time zero on.
    int rate = 30;
    // How many pictures will be written; room for the index is kept for them.
    int pictures = 0;
    // Every sound track of this file is copied into the output unchanged,
    // packet by packet, with its tags; empty for none.
    QString soundFrom;
    // The time on that file's time line that becomes time zero, in seconds.
    double soundStart = 0;
};

// Writes a finished video into a new MP4 file: evenly timed pictures coded
// for keeping (no B-frames, a keyframe every two seconds) and the sound of
// another file copied beside them, interleaved as the pictures go. The index
// goes in front of the data, into room kept for it when the file is opened,
// so the file plays while it is still being downloaded. One thread at a time.
class VideoFileWriter {
public:
    // Creates `path`, opens the encoder and the sound's file. Throws
    // MediaError, abandoned once `cancel` is cancelled.
    VideoFileWriter(const QString& path, const VideoFileFormat& format, const CancelToken& cancel);
    ~VideoFileWriter();
    VideoFileWriter(const VideoFileWriter&) = delete;
    VideoFileWriter& operator=(const VideoFileWriter&) = delete;

    // The next picture, shown for one step of the rate; one of another size
    // is fitted in, its aspect kept, on black. Throws MediaError.
    void writePicture(const QImage& picture);
    // Drains the encoder, copies the rest of the sound and completes the
    // file. Throws MediaError.
    void finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tavero::media
