#include "platform/files/FileDescriptor.h"

#include <unistd.h>

namespace tavero {

FileDescriptor::~FileDescriptor() { close(); }

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

// A close interrupted by a signal has still released the descriptor on
// Linux, so it is never retried.
bool FileDescriptor::close() {
    if (fd_ < 0) return true;
    return ::close(std::exchange(fd_, -1)) == 0;
}

}  // namespace tavero
