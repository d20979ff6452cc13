#include "platform/memory/PicturePool.h"

#include "platform/memory/ReusedMemory.h"

#include <algorithm>

namespace tavero {

namespace {

// What a picture carries to give its memory back.
struct Lease {
    std::shared_ptr<ReusedMemory> memory;
    ReusedMemory::Block block;
};

void giveBack(void* info) {
    auto* lease = static_cast<Lease*>(info);
    lease->memory->giveBack(lease->block);
    delete lease;
}

}  // namespace

PicturePool::PicturePool(int kept) : memory_(std::make_shared<ReusedMemory>(size_t(std::max(kept, 0)))) {}

PicturePool::~PicturePool() { memory_->close(); }

void PicturePool::keep(int blocks) { memory_->keep(size_t(std::max(blocks, 0))); }

QImage PicturePool::take(QSize size, QImage::Format format) {
    if (size.isEmpty()) return {};
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const ReusedMemory::Block block = memory_->take(size_t(bytesPerLine) * size_t(size.height()));
    if (!block.memory) return {};
    return QImage(block.memory, size.width(), size.height(), bytesPerLine, format, giveBack,
                  new Lease{memory_, block});
}

}  // namespace tavero
