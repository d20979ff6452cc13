#pragma once

#include <array>

namespace tavero {

// Names the calling thread for the system's tools (`top -H`, perf,
// /proc/<pid>/task/<tid>/comm), so that they show which of the program's
// threads costs what: "tavero-grab", "tavero-encode". Names longer than the
// system's 15 bytes are cut.
void nameThisThread(const char* name);

// Names the calling thread while it lives, then gives its name back. Threads
// started meanwhile take the name with them: a library's own workers (the
// video encoder's), which the program cannot name otherwise.
class ThreadNameForNewThreads {
public:
    explicit ThreadNameForNewThreads(const char* name);
    ~ThreadNameForNewThreads();
    ThreadNameForNewThreads(const ThreadNameForNewThreads&) = delete;
    ThreadNameForNewThreads& operator=(const ThreadNameForNewThreads&) = delete;

private:
    std::array<char, 16> previous_{};
    bool known_ = false;
};

}  // namespace tavero
