#include "platform/files/RegularFileStream.h"

#include "platform/files/RegularFile.h"

#include <cerrno>

#include <unistd.h>

namespace tavero {

namespace {

constexpr std::size_t blockSize = 1 << 16;

}  // namespace

RegularFileStream::RegularFileStream(const QString& path, qint64 maxBytes, LinkRule links) : bytesLeft_(maxBytes) {
    FileDescriptor file = openRegularDescriptor(path, links);
    if (!file.valid()) return;
    const std::optional<FileIdentity> identity = identityOf(file.get());
    if (!identity || identity->size > maxBytes) return;
    file_ = std::move(file);
    identity_ = identity;
    block_.reserve(blockSize);
}

// Reads on to the end of the file rather than to the size seen at the start:
// the file may change meanwhile, and the cap holds either way.
bool RegularFileStream::readBlock() {
    block_.clear();
    position_ = 0;
    if (!file_.valid() || failed_) return false;
    block_.resize(blockSize);
    ssize_t read = 0;
    do read = ::read(file_.get(), block_.data(), blockSize);
    while (read < 0 && errno == EINTR);
    if (read < 0 || read > bytesLeft_) {
        failed_ = true;
        read = 0;
    }
    block_.resize(std::size_t(read));
    bytesLeft_ -= read;
    return read > 0;
}

}  // namespace tavero
