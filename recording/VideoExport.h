#pragma once

#include "platform/Result.h"

#include <QString>

#include <functional>

namespace tavero {

// Exports of a finished video into a new file: a looping GIF, or a trimmed
// MP4; and the look at a video that tells whether they can read it. Each call returns at once, works on the worker pool, never touches the
// source, and answers exactly once on the main thread with the destination's
// path or the ShotError that prevented it. The output is written under a
// hidden name beside the destination and given its name only once it is
// complete (never over an existing file), so a refused or failed export
// leaves no file behind.
namespace VideoExport {

using Completion = std::function<void(Result<QString> destination)>;

// The longest video a GIF is made of, in seconds.
inline constexpr double longestGif = 30.0;
// GIF pictures a second.
inline constexpr int gifRate = 8;

// An endlessly looping GIF of `source` at 8 pictures a second, frame i
// showing the picture the player shows at i / 8 s, as many frames as whole
// eighths fit in what it plays (at least one; its pictures, or its sound
// when that lasts longer), scaled down to fit 960 × 960.
// Only for videos longer than 0 and at most 30 s; of a video cut short,
// the part before the cut is what counts and what is shown. The written
// file is read back and must hold that many pictures of that size.
void gif(const QString& source, const QString& destination, Completion completion);
// The stretch of `source` from `start` to `end` seconds of what the player
// plays as a new MP4 file whose first picture is the one it shows at
// `start`. `end` may lie up to 0.1 s past the video's end and is then taken
// as its end; `start` must lie before that. Of a video cut short, the end
// is where what plays ends, as for a GIF. The written file is measured and must last the stretch,
// within a picture at 30 a second, in pictures of the source's size;
// otherwise it is not saved, and the sentence says which it missed.
void trim(const QString& source, double start, double end, const QString& destination, Completion completion);

using Check = std::function<void(Result<Done> readable)>;

// Whether the pictures of `source` can be read at all, as a video is opened:
// a regular file, a known container with a video track whose first picture
// decodes. Answers once on the main thread with Done, or "该视频的画面无法读取。"
// ("该视频的画面超过 8192 × 4320 像素，无法打开。" for larger pictures, which
// the GIF and the trim answer with too).
void checkPictures(const QString& source, Check answer);

// The work of gif(), trim() and checkPictures() on the calling thread:
// blocks, throws ShotError.
QString writeGif(const QString& source, const QString& destination);
QString writeTrim(const QString& source, double start, double end, const QString& destination);
void requirePictures(const QString& source);

}  // namespace VideoExport
}  // namespace tavero
