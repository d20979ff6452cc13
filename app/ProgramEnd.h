#pragma once

#include <chrono>

namespace tavero {

// The last step of a run, once the delegate and its model are gone: returns
// `status` as soon as the shared worker pool is idle, or ends the process with
// it after `grace`. Whatever still runs there then (a decode, a recognition)
// holds nothing the user keeps, since the library writes on its own queue,
// drained when the model goes; and QApplication would wait for it without
// end, keeping a program the user quit alive. Main thread.
int endOnceWorkersStop(int status, std::chrono::milliseconds grace);

}  // namespace tavero
