#pragma once

#include "platform/media/MediaHandles.h"
#include "platform/memory/ReusedMemory.h"

#include <memory>

namespace tavero::media {

// An encoder's coded packets in memory reused from packet to packet
// (ReusedMemory): a coded picture of a changing 4K screen is a few hundred
// kilobytes, which would otherwise come from fresh pages every time. Set up
// before the encoder opens; the context refers to `memory`, which its owner
// keeps as long as the context lives (packets still held keep their memory
// alive themselves).
void reusePacketMemory(AVCodecContext& context, std::shared_ptr<ReusedMemory>& memory);

}  // namespace tavero::media
