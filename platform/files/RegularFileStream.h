#pragma once

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/RegularFile.h"

#include <QString>

#include <cstddef>
#include <iterator>
#include <optional>
#include <vector>

namespace tavero {

// A regular file (as openRegularFile() opens it) of at most a given size,
// read a block at a time for a reader that takes one byte after another,
// such as a streaming parser: a reader that stops early leaves the rest of
// the file unread. One reader; any thread.
class RegularFileStream {
public:
    // The bytes as an input range: begin() != end() while there are more.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = char;

        Iterator() = default;
        explicit Iterator(RegularFileStream* stream) : stream_(stream) {}

        char operator*() const { return stream_->block_[stream_->position_]; }
        Iterator& operator++() {
            ++stream_->position_;
            return *this;
        }
        void operator++(int) { ++*this; }
        bool operator==(const Iterator& other) const { return atEnd() == other.atEnd(); }

    private:
        bool atEnd() const { return !stream_ || !stream_->hasMore(); }

        RegularFileStream* stream_ = nullptr;
    };

    // Nothing is read yet; a file that is no regular file, or is larger than
    // `maxBytes`, is not opened at all.
    RegularFileStream(const QString& path, qint64 maxBytes, LinkRule links = LinkRule::follow);

    bool isOpen() const { return file_.valid(); }
    // The file opened, as it was when opened; nothing when none was.
    const std::optional<FileIdentity>& identity() const { return identity_; }
    // A read failed, or the file grew beyond `maxBytes` while it was read:
    // the bytes ended early.
    bool failed() const { return failed_; }

    Iterator begin() { return Iterator(this); }
    Iterator end() { return Iterator(); }

private:
    bool hasMore() { return position_ < block_.size() || readBlock(); }
    bool readBlock();

    FileDescriptor file_;
    std::optional<FileIdentity> identity_;
    qint64 bytesLeft_ = 0;
    std::vector<char> block_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace tavero
