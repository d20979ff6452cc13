#pragma once

#include <QtGlobal>

#include <memory>
#include <mutex>
#include <vector>

namespace tavero {

// Blocks of memory handed out again once they are given back, for buffers
// made over and over while a take runs (pictures, coded packets). The
// program makes every block of 1 MiB and more a mapping of its own (see
// AllocatorSettings.h), and the C library hands freed memory at the top of its
// heaps back to the system as well, so a buffer made anew each time costs
// its size in fresh pages, which the system clears on first touch. Holders
// of a block keep the memory alive (shared_ptr); closing frees the free
// blocks, and blocks given back afterwards go back to the system. Any thread.
class ReusedMemory {
public:
    struct Block {
        uchar* memory = nullptr;
        size_t bytes = 0;
    };

    // At most `kept` free blocks are kept.
    explicit ReusedMemory(size_t kept);
    ~ReusedMemory();
    ReusedMemory(const ReusedMemory&) = delete;
    ReusedMemory& operator=(const ReusedMemory&) = delete;

    void keep(size_t blocks);

    // The smallest free block of at least `bytes`, or a new one of `bytes`
    // (no memory when there is none).
    Block take(size_t bytes);
    // Kept for a later take(), or, when the owner has closed or enough are
    // kept, the smallest of them goes back to the system.
    void giveBack(const Block& block);
    void close();

private:
    std::mutex lock_;
    std::vector<Block> free_;
    size_t kept_;
    bool open_ = true;
};

}  // namespace tavero
