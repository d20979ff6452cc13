#pragma once

#include "platform/media/MediaHandles.h"

namespace tavero::media {

// Phones keep their sensor's orientation in the pictures they code and say
// in the stream's display matrix how players are to turn them.

// The clockwise turn, in degrees (0, 90, 180 or 270), that shows the
// pictures of `stream` upright; 0 without a display matrix.
int uprightTurn(const AVStream* stream);

// Gives `to` the display matrix of `from`, if it has one, so that players
// turn the pictures of both alike. Before the header is written. Throws
// MediaError.
void keepDisplayMatrix(const AVStream* from, AVStream* to);

}  // namespace tavero::media
