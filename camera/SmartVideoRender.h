#pragma once

#include "camera/RecordingProject.h"
#include "platform/media/CancelToken.h"
#include "platform/media/VideoFileWriter.h"

#include <QSize>
#include <QString>

#include <atomic>

namespace tavero {

// How far a render has got: pictures written of all it will write. Written
// by the render's threads, read by whoever watches it.
class RenderProgress {
public:
    // 0 until the render knows its length, then up to 1.
    double fraction() const;

    void begin(int pictures) { total_ = pictures; }
    void pictureWritten() { ++done_; }

private:
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
};

// The smart-camera cut of a raw recording, rendered where it is called:
// every picture of a 1/30 s grid (each grid time showing the last source
// picture at or before it) composed with the camera pose of its time and
// the framed look of the project's effects, coded into a new MP4 file with
// the recording's sound tracks copied unchanged.
//
// Decoding, composing and coding run at once on three threads (the calling
// one decodes), handing pictures on through short queues. The output is
// written under a hidden name beside the destination and published only once
// it is complete and plays for as long as it should: an existing file is
// never replaced, and a failed or cancelled render leaves no file behind.
// The source is only read.
namespace SmartVideoRender {

// Pictures per second of every render.
inline constexpr int rate = 30;

// H.264 up to 4096 × 2304, HEVC for anything larger.
media::VideoCodec codecFor(QSize outputSize);

// Blocks until the file is published. Throws ShotError with one of
// SmartVideoMessages' sentences, or the sentence of a taken destination.
// Once `cancel` is cancelled it soon throws; the caller tells a
// cancellation from a failure by the token.
void render(const QString& source, const QString& destination, const RecordingProject& project,
            const media::CancelToken& cancel, RenderProgress& progress);

}  // namespace SmartVideoRender
}  // namespace tavero
