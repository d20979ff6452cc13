#include "platform/PicturePool.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace tavero {

struct PicturePool::Blocks {
    struct Block {
        uchar* memory = nullptr;
        size_t bytes = 0;
    };
    // What a picture carries to give its block back.
    struct Lease {
        std::shared_ptr<Blocks> blocks;
        Block block;
    };

    std::mutex lock;
    std::vector<Block> free;
    size_t kept = 0;
    bool open = true;

    static void giveBack(void* info) {
        auto* lease = static_cast<Lease*>(info);
        lease->blocks->put(lease->block);
        delete lease;
    }

    void put(const Block& block) {
        {
            std::lock_guard guard(lock);
            if (open && free.size() < kept) {
                free.push_back(block);
                return;
            }
        }
        std::free(block.memory);
    }

    // The smallest free block that holds `bytes`, or a new one.
    Block get(size_t bytes) {
        {
            std::lock_guard guard(lock);
            auto best = free.end();
            for (auto found = free.begin(); found != free.end(); ++found)
                if (found->bytes >= bytes && (best == free.end() || found->bytes < best->bytes)) best = found;
            if (best != free.end()) {
                const Block block = *best;
                free.erase(best);
                return block;
            }
        }
        return {static_cast<uchar*>(std::malloc(bytes)), bytes};
    }

    void close() {
        std::vector<Block> spare;
        {
            std::lock_guard guard(lock);
            open = false;
            spare.swap(free);
        }
        for (const Block& block : spare) std::free(block.memory);
    }
};

PicturePool::PicturePool(int kept) : blocks_(std::make_shared<Blocks>()) { keep(kept); }

PicturePool::~PicturePool() { blocks_->close(); }

void PicturePool::keep(int blocks) {
    std::lock_guard guard(blocks_->lock);
    blocks_->kept = size_t(std::max(blocks, 0));
}

QImage PicturePool::take(QSize size, QImage::Format format) {
    if (size.isEmpty()) return {};
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const Blocks::Block block = blocks_->get(size_t(bytesPerLine) * size_t(size.height()));
    if (!block.memory) return {};
    return QImage(block.memory, size.width(), size.height(), bytesPerLine, format, &Blocks::giveBack,
                  new Blocks::Lease{blocks_, block});
}

}  // namespace tavero
