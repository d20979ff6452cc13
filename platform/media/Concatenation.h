#pragma once

#include "platform/media/CancelToken.h"

#include <QList>
#include <QString>

namespace tavero::media {

// One file's share of a concatenation.
struct ConcatSource {
    QString path;
    // Seconds of the file copied, from its time zero; the next file starts
    // this much later on the joined time line, whatever its tracks' lengths.
    double length = 0;
    // For each track of the output, the file's stream that fills it in this
    // file's span, or -1 to leave it empty there. One stream may fill
    // several tracks.
    QList<int> streams;
};

// Writes the files one after another into the MP4 `output`, copying their
// compressed packets unchanged: no picture or sound is decoded. The index
// goes first, into room reserved for it from the files' sample counts, so
// every file is opened before writing begins.
// Each output track takes its coding and tag from the first file that fills
// it; the caller makes sure the others code alike. A file contributes its
// pictures that start before its length, so nothing of a file cut short past
// its length is copied. Its sound follows the previous file's without a gap
// or an overlap, in whole sound frames: the frames starting before its
// length rounded down or up to a frame, whichever keeps the sound nearest to
// the pictures, so the two stay within half a frame of each other however
// many files are joined. The sound an encoder primes a track with before
// time zero is kept only at a track's very start, where the output's edit
// list hides it.
// Blocks; any thread. Throws MediaError; what was written stays for the
// caller to remove.
void concatenate(const QList<ConcatSource>& sources, const QString& output, const CancelToken& cancel = {});

}  // namespace tavero::media
