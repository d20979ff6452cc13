#pragma once

#include "platform/media/CancelToken.h"
#include "platform/media/MediaHandles.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tavero::media {

// How far the packets of a Matroska file go. Matroska keeps one length for
// the whole file, which a live writer leaves out and which may say anything,
// and none for a stream; FFmpeg then guesses from the file's size and the
// bit rates it knows (a PCM track's), or not at all.
struct MatroskaExtent {
    // Just past the file's last packet; none when no packet was found.
    std::optional<int64_t> end;
    // By stream: where its packets end, in its time base, as far as each
    // follows on from the ones before it; none for a stream not met.
    std::vector<std::optional<int64_t>> streamEnds;
};

bool isMatroska(const AVInputFormat* format);

// A demuxer opened afresh over `bytes`, with nothing read past its header.
using DemuxerOpener = std::function<InputContext(AVIOContext* bytes)>;

// Reads the packets of the last few megabytes of the Matroska file `path`,
// or, when none lie there (a file followed by gigabytes of anything else),
// from its first on for as long as packets keep coming: never the whole
// file, nor more than a few megabytes that hold no packet. A packet more
// than a minute past its stream's end so far counts once the stream goes on
// from it (a pause), not alone (a cluster timed far away).
// Throws MediaError (abandoned) once `cancel` is cancelled.
MatroskaExtent readMatroskaExtent(const QString& path, const CancelToken& cancel, const DemuxerOpener& open);

// Gives every stream of `context` that `extent` met the length its packets
// have, from its start (from 0 when it is not known), and takes back the
// lengths FFmpeg guessed from bit rates for the others.
void giveStreamLengths(AVFormatContext* context, const MatroskaExtent& extent);

}  // namespace tavero::media
