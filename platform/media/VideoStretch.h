#pragma once

#include "platform/media/CancelToken.h"

#include <QSize>
#include <QString>

#include <memory>

namespace tavero::media {

// A video file opened to copy a stretch of it into a new MP4 file: the
// pictures from the one showing at the start to the end coded again (a
// stretch rarely starts on a keyframe), with their own times, and every
// sound track copied packet by packet where the MP4 takes it as it is.
// One thread at a time.
class VideoStretch {
public:
    // Opens the file and its first video stream's decoder. Throws MediaError
    // when it is missing, no known container, or has no video it can decode.
    VideoStretch(const QString& source, const CancelToken& cancel);
    ~VideoStretch();
    VideoStretch(const VideoStretch&) = delete;
    VideoStretch& operator=(const VideoStretch&) = delete;

    // The length of the time line the player shows (MovieTimeline.h), on
    // which the stretches are cut: until the pictures end, or the sound when
    // it lasts longer; of a file cut short, up to its cut (PlayableSpan).
    double duration() const;

    // Writes the stretch from `start` to `end` seconds (0 ≤ start < end ≤
    // duration()) into the new file `path`: its first picture is the one
    // the player shows at `start` (the first picture before it, the last
    // after it), the video lasts `end` − `start`, and the sound is
    // cut to the same span (an edit list hides what a copied packet has
    // before it; sound an MP4 cannot take as it is, a camera's PCM, is coded
    // again as AAC). H.264, or HEVC above 4096 × 2304, coded as renders are,
    // with the source's display matrix (a phone's video plays turned alike);
    // the index in front. Nothing past the cut of a file cut short is read.
    // Once per object. Throws MediaError, SourceError when the stretch's
    // pictures or sound cannot be read or decoded from the source,
    // WriteError when the disk refuses the new file's bytes.
    void write(double start, double end, const QString& path);
    // After write(): the size the source's pictures have, made even, which
    // the new file's must have; empty when none was decoded.
    QSize pictureSize() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tavero::media
