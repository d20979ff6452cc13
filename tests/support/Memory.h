#pragma once

#include <functional>

namespace tavero::test {

// Runs `work` in a forked child and returns how far the child's peak resident
// memory rose above what it inherited, in bytes; -1 when the child failed.
long long peakMemoryGrowth(const std::function<void()>& work);

}  // namespace tavero::test
