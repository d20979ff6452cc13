#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

struct AVFrame;

namespace tavero::media {

struct PartFormat {
    // The pictures' size; even in both directions.
    QSize size;
    // One AAC track per entry, named by it ("system", "mic"); an empty name
    // leaves the track unnamed (the mixed track of a screen part).
    QStringList soundTracks;
};

// Writes one part of a take while it is recorded: pictures that carry their
// own time (H.264, a keyframe every second) and AAC tracks of 48 kHz stereo,
// in a fragmented MP4 that reaches the disk at every fragment, so a killed
// program leaves a part that plays up to its last second. A disk that
// refuses a write (full) leaves the part as far as its last whole fragment,
// or no file when none reached it.
//
// Pictures come from one thread and sound from another (or the same); both
// may write at once. finish() comes after both have stopped.
class PartWriter {
public:
    // Creates `path`, opens the encoders and writes the file's header.
    // Throws MediaError, and leaves no file then.
    PartWriter(const QString& path, const PartFormat& format);
    // Without finish() the file ends with its last complete fragment; with
    // none, no file is left.
    ~PartWriter();
    PartWriter(const PartWriter&) = delete;
    PartWriter& operator=(const PartWriter&) = delete;

    QSize size() const;

    // A picture shown from `seconds` after time zero on (the first is at 0);
    // one that is not later than the previous one is left out (false). A
    // picture of another size is fitted in, its aspect kept. Throws MediaError.
    bool writePicture(const QImage& picture, double seconds);
    // The same for a picture converted by a PictureConverter of size().
    bool writePicture(const AVFrame& picture, double seconds);
    // Samples of track `track` following its previous ones from time zero
    // on, interleaved stereo floats. Throws MediaError.
    void writeSound(int track, const float* samples, int frames);

    // Seconds of video written: the last picture's time plus one frame at
    // 30 per second; 0 before the first. Any thread.
    double writtenSeconds() const;

    // Drains the encoders and completes the file. Throws MediaError.
    void finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tavero::media
