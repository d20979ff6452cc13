#include "platform/memory/ReusedMemory.h"

#include <algorithm>
#include <cstdlib>

namespace tavero {

ReusedMemory::ReusedMemory(size_t kept) : kept_(kept) {}

ReusedMemory::~ReusedMemory() { close(); }

void ReusedMemory::keep(size_t blocks) {
    std::lock_guard guard(lock_);
    kept_ = blocks;
}

ReusedMemory::Block ReusedMemory::take(size_t bytes) {
    {
        std::lock_guard guard(lock_);
        auto best = free_.end();
        for (auto found = free_.begin(); found != free_.end(); ++found)
            if (found->bytes >= bytes && (best == free_.end() || found->bytes < best->bytes)) best = found;
        if (best != free_.end()) {
            const Block block = *best;
            free_.erase(best);
            return block;
        }
    }
    return {static_cast<uchar*>(std::malloc(bytes)), bytes};
}

void ReusedMemory::giveBack(const Block& block) {
    Block dropped = block;
    {
        std::lock_guard guard(lock_);
        if (open_ && kept_ > 0) {
            // The larger blocks serve every smaller request.
            free_.push_back(block);
            const auto smallest = std::min_element(free_.begin(), free_.end(),
                                                   [](const Block& a, const Block& b) { return a.bytes < b.bytes; });
            if (free_.size() <= kept_) return;
            dropped = *smallest;
            free_.erase(smallest);
        }
    }
    std::free(dropped.memory);
}

void ReusedMemory::close() {
    std::vector<Block> spare;
    {
        std::lock_guard guard(lock_);
        open_ = false;
        spare.swap(free_);
    }
    for (const Block& block : spare) std::free(block.memory);
}

}  // namespace tavero
