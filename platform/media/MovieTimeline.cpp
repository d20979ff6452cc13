#include "platform/media/MovieTimeline.h"

#include "platform/media/MediaHandles.h"
#include "platform/media/PlayableSpan.h"

#include <algorithm>

namespace tavero::media {

namespace {

// Stamps that differ by this little are the same time, rounded through
// different time bases.
constexpr double sameTime = 1e-3;

double secondsOf(int64_t stamp, const AVStream* stream) { return double(stamp) * av_q2d(stream->time_base); }

// Where the time line starts: at the pictures, unless the sound starts
// earlier by more than a frame of its own. That first frame is the
// encoder's priming, silence that MPEG-TS and Matroska keep before the
// pictures where an MP4's edit list hides it: the same recording starts
// with its pictures in each.
double startOf(double pictures, const AVStream* sound) {
    if (sound->start_time == AV_NOPTS_VALUE) return pictures;
    const AVCodecParameters* coding = sound->codecpar;
    const double frame = coding->sample_rate > 0 ? double(coding->frame_size) / coding->sample_rate : 0;
    const double heard = secondsOf(sound->start_time, sound);
    return heard < pictures - frame - sameTime ? heard : pictures;
}

}  // namespace

// Lengths are summed from the start, never taken as a difference of ends:
// a time line that starts with its pictures lasts exactly as long as they.
MovieTimeline movieTimeline(AVFormatContext* context, const AVStream* pictures, const PlayableSpan& span) {
    const double picturesStart = secondsOf(span.start, pictures);
    AVStream* sound = firstSoundStream(context);
    const double start = sound ? startOf(picturesStart, sound) : picturesStart;
    double length = (picturesStart - start) + span.seconds(pictures);
    if (sound && !span.cutShort) {
        const PlayableSpan heard = playableSpan(context, sound);
        length = std::max(length, (secondsOf(heard.start, sound) - start) + heard.seconds(sound));
    }
    return {start, length};
}

}  // namespace tavero::media
