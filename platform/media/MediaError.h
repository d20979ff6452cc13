#pragma once

#include <stdexcept>
#include <string>

namespace tavero::media {

// A media library call that failed, with the step that failed and the
// library's own description, for the log. Callers above platform/ answer the
// user with their own sentence; only abandoned() may change what they do.
class MediaError : public std::runtime_error {
public:
    MediaError(const std::string& step, int code);

    // The library's error code (negative).
    int code() const { return code_; }
    // The work was cancelled through its CancelToken.
    bool abandoned() const;

private:
    int code_;
};

// A failure of the file being read (cut short, damaged) rather than of
// what is written from it.
class SourceError : public MediaError {
public:
    explicit SourceError(const MediaError& error) : MediaError(error) {}
};

// A failure of the disk a file is written to: it took no more bytes.
class WriteError : public MediaError {
public:
    explicit WriteError(const MediaError& error) : MediaError(error) {}
    // The disk, or the user's share of it, is full.
    bool noSpace() const;
};

// A video whose pictures are larger than any the program opens
// (MediaHandles.h), refused before one is decoded.
class PictureTooLarge : public MediaError {
public:
    PictureTooLarge();
};

// A video in a container other than those the program opens (InputFile),
// refused before it is read.
class ContainerNotSupported : public MediaError {
public:
    ContainerNotSupported();
};

// Throws MediaError for a negative library result; returns the others.
int check(int result, const char* step);

}  // namespace tavero::media
