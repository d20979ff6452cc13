#pragma once

#include "platform/media/CancelToken.h"
#include "platform/media/MovieTimeline.h"

#include <QSize>
#include <QString>

namespace tavero::media {

struct PlayableVideo {
    // Seconds of the file's video that can be played, from its first picture.
    double duration = 0;
    // The file ends inside a fragment (its writer was killed): what lies past
    // `duration` is incomplete and must not be copied.
    bool cutShort = false;
    // Of its first picture, as coded.
    QSize size;
    // What the player plays: the pictures and the sound (MovieTimeline.h).
    MovieTimeline timeline;
};

// Proves that `path` holds a playable video: opens it, measures its first
// video stream and decodes its first picture and the one 0.1 s before the end
// of what is playable (or, where pictures there do not decode, the last one
// before them that does, which is what a player shows there). A file cut off in the middle (a killed writer) counts
// up to the last keyframe before its first incomplete sample, which for our
// fragmented parts is the end of the last complete fragment.
// Blocks; any thread. Throws MediaError when the file is missing, no known
// container, has no video stream or no playable duration, when a picture
// does not decode, and (abandoned) once `cancel` is cancelled.
PlayableVideo measurePlayableVideo(const QString& path, const CancelToken& cancel = {});

}  // namespace tavero::media
