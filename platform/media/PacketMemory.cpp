#include "platform/media/PacketMemory.h"

#include <cstring>

namespace tavero::media {

namespace {

// Packets vary in size from one picture to the next: blocks are made in
// powers of two, so that a few of them serve every packet.
constexpr size_t smallestBlock = 64 * 1024;

// What a packet's buffer carries to give its block back.
struct Lease {
    std::shared_ptr<ReusedMemory> memory;
    ReusedMemory::Block block;
};

size_t blockFor(size_t bytes) {
    size_t block = smallestBlock;
    while (block < bytes) block *= 2;
    return block;
}

void giveBack(void* opaque, uint8_t*) {
    auto* lease = static_cast<Lease*>(opaque);
    lease->memory->giveBack(lease->block);
    delete lease;
}

int packetBuffer(AVCodecContext* context, AVPacket* packet, int) {
    const std::shared_ptr<ReusedMemory>& memory = *static_cast<std::shared_ptr<ReusedMemory>*>(context->opaque);
    const size_t used = size_t(packet->size);
    const ReusedMemory::Block block = memory->take(blockFor(used + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!block.memory) return AVERROR(ENOMEM);
    auto* lease = new Lease{memory, block};
    packet->buf = av_buffer_create(block.memory, block.bytes, giveBack, lease, 0);
    if (!packet->buf) {
        giveBack(lease, nullptr);
        return AVERROR(ENOMEM);
    }
    packet->data = block.memory;
    std::memset(block.memory + used, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    return 0;
}

}  // namespace

void reusePacketMemory(AVCodecContext& context, std::shared_ptr<ReusedMemory>& memory) {
    context.opaque = &memory;
    context.get_encode_buffer = packetBuffer;
}

}  // namespace tavero::media
