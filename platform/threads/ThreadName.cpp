#include "platform/threads/ThreadName.h"

#include <pthread.h>

#include <cstring>

namespace tavero {

void nameThisThread(const char* name) {
    // The kernel keeps 15 bytes and refuses longer names whole.
    std::array<char, 16> kept{};
    std::strncpy(kept.data(), name, kept.size() - 1);
    pthread_setname_np(pthread_self(), kept.data());
}

ThreadNameForNewThreads::ThreadNameForNewThreads(const char* name)
    : known_(pthread_getname_np(pthread_self(), previous_.data(), previous_.size()) == 0) {
    if (known_) nameThisThread(name);
}

ThreadNameForNewThreads::~ThreadNameForNewThreads() {
    if (known_) nameThisThread(previous_.data());
}

}  // namespace tavero
