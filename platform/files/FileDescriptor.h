#pragma once

#include <utility>

namespace tavero {

// Owns one open file descriptor of the C library and closes it once; -1 owns
// nothing. Move-only. For the few places in platform/ that need more than Qt's
// file classes offer (checking what was opened, flushing to the disk).
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();

    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Hands the descriptor over to a new owner.
    int release() { return std::exchange(fd_, -1); }
    // Closes now; false (errno set) when the close reported an error, which
    // for a file being written can be the first sign of a full disk.
    bool close();

private:
    int fd_ = -1;
};

}  // namespace tavero
