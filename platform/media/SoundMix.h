#pragma once

#include "platform/media/CancelToken.h"

#include <QString>

namespace tavero::media {

// Writes the MP4 `output` (index first) with the first video track of `input`
// copied unchanged and all of its sound tracks mixed, each at `gain`, into
// one AAC track at 48 kHz stereo. A track is placed by its timestamps: where
// it has no sound (a part recorded without it) the others play alone, and
// the mix begins at time zero. Only the sound is decoded and encoded.
// Blocks; any thread. Throws MediaError; what was written stays for the
// caller to remove.
void mixSoundTracks(const QString& input, const QString& output, float gain, const CancelToken& cancel = {});

}  // namespace tavero::media
