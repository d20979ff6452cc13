#pragma once

#include "platform/media/CancelToken.h"
#include "platform/media/MediaHandles.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tavero::media {

// A decoded picture of a movie, not yet converted: its memory is shared
// with the decoder's until the last copy is gone.
struct MovieFrame {
    Frame frame;
    // Seconds on the movie's time line.
    double time = 0;
};

// Decoded sound, interleaved floats.
struct MovieSound {
    std::vector<float> samples;
    // Seconds on the movie's time line at its first frame.
    double time = 0;
};

// Reads a movie file for playing it: the pictures of its first video stream
// and the sound of its first sound stream, each in order, from the start or
// from where it was moved to. Times are seconds on its time line
// (MovieTimeline.h), which the GIF and the trims share.
// Each stream is read through a demuxer of its own, so neither waits for the
// other's packets however far apart the file keeps them, and no packets
// pile up meanwhile. The sound keeps its stream's rate (48 kHz when it is
// faster than a sound output plays), in one channel for mono and two for
// anything else (mixed down). A damaged packet is skipped,
// and a file that breaks off ends there, as players do; one cut short plays
// as far as its playable span (PlayableSpan.h). One thread at a time.
class MovieDecoder {
public:
    // Opens the file and its decoders. Throws MediaError when the file is
    // missing, no regular file, no known container, has no video stream or
    // no decoder for it, and (abandoned) once `cancel` is cancelled. A sound
    // stream without a decoder is left out.
    MovieDecoder(const QString& path, const CancelToken& cancel);
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    // The length of its time line: until the pictures end, or the sound when
    // it lasts longer, as far as the file holds them whatever its header says
    // (PlayableSpan.h); for a file cut short, the end of its playable span.
    double duration() const;
    // The size the pictures show at, upright and with the pixel aspect
    // the stream declares (PixelAspect.h).
    QSize size() const;
    // Clockwise degrees that turn the coded pictures upright (DisplayMatrix.h).
    int turn() const;
    bool hasSound() const;
    int soundRate() const;
    int soundChannels() const;

    // From here on the pictures begin with the one showing at `time` (the
    // last that starts by then, or the first when none does yet; past the
    // playable span of a file cut short, its last) and the sound at `time`.
    // Throws MediaError.
    void seek(double time);
    // The next picture; none after the last. Throws MediaError, also once
    // the token is cancelled.
    std::optional<MovieFrame> nextPicture();
    // While set, the pictures no other picture is predicted from are not
    // decoded, and nextPicture() skips them: a player behind its clock would
    // drop them anyway, and its decoder catches up sooner. A seek clears it.
    void skipUnreferencedPictures(bool skip);
    // The next sound; none after the last, or without sound. Throws as
    // nextPicture() does.
    std::optional<MovieSound> nextSound();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The largest size of `picture`'s shape that fits into `bounds`; `picture`
// itself when `bounds` is empty.
QSize fittedSize(QSize picture, QSize bounds);

// `frame` in RGB32 with the matrix and range it is tagged with, turned
// clockwise by `turn` degrees and scaled to `size` (upright). Any thread.
// Throws MediaError for a pixel format it does not know, or without memory.
QImage uprightPicture(const AVFrame& frame, int turn, QSize size);

}  // namespace tavero::media
