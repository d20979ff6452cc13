#pragma once

#include <functional>

namespace tavero {

// Runs task(0) … task(tasks - 1), each once, on the calling thread and on
// up to `threads - 1` helpers that `startHelper` starts on a pool. Tasks are
// taken in turn by whoever works on the loop and the calling thread works
// along, so the loop never waits for a helper to start; it returns once
// every task has run. A helper that starts after every task was taken
// touches nothing of the caller's, so `task` may hold the caller's locals.
// Any thread.
void runSpread(int tasks, int threads, const std::function<void(std::function<void()>)>& startHelper,
               std::function<void(int)> task);

}  // namespace tavero
