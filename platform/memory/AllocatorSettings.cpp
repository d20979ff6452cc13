#include "platform/memory/AllocatorSettings.h"

#include <malloc.h>

namespace tavero {

void giveLargeBlocksBackWhenFreed() {
    constexpr int largeBlock = 1 << 20;
    // A fixed threshold also turns off glibc's raising of it.
    mallopt(M_MMAP_THRESHOLD, largeBlock);
}

void allocateFromOneArena() { mallopt(M_ARENA_MAX, 1); }

void giveFreedMemoryBack() { malloc_trim(0); }

}  // namespace tavero
