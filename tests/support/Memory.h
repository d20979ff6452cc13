#pragma once

#include <functional>

namespace tavero::test {

// Under AddressSanitizer a process's memory also holds the sanitizer's
// shadow and its quarantine of freed blocks, so tight budgets do not apply.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool tightMemoryBudgets = false;
#else
inline constexpr bool tightMemoryBudgets = true;
#endif

// Runs `work` in a forked child and returns how far the child's peak resident
// memory rose above what it inherited, in bytes; -1 when the child failed or
// `work` threw.
long long peakMemoryGrowth(const std::function<void()>& work);

// The size of the shared-memory segments that screen grabs have mapped into
// this process (named "tavero-grab"), in bytes; -1 when it cannot be read.
long long grabSegmentBytes();

// The minor page faults of this process so far: pages the system mapped for
// it, as it does for every fresh block of memory on first touch.
long long minorFaults();

}  // namespace tavero::test
