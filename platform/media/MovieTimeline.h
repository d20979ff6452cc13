#pragma once

struct AVFormatContext;
struct AVStream;

namespace tavero::media {

struct PlayableSpan;

// The one time line a video is played on and its GIF and trims are cut
// from: it starts with the pictures, or with the sound where that starts
// earlier (a recording joined late holds its sound before its first
// picture; an encoder's priming frame does not count), and ends where the
// pictures end, or the sound when it lasts longer. Before its first
// picture the player shows that picture, and after its last the last.
struct MovieTimeline {
    // Seconds on the file's clock at which the time line starts.
    double origin = 0;
    // Seconds from its start to its end.
    double length = 0;
};

// The time line of `pictures`, playable over `span`, and of the file's
// first sound stream, whose start is known only where the open looked into
// it (StreamInfo::picturesAndSound). A file cut short ends where its
// pictures' playable span does. Reads the file where the sound's length
// needs it (PlayableSpan.h).
MovieTimeline movieTimeline(AVFormatContext* context, const AVStream* pictures, const PlayableSpan& span);

}  // namespace tavero::media
