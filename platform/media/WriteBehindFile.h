#pragma once

extern "C" {
#include <libavformat/avio.h>
}

#include <QString>

namespace tavero::media {

// A file written through FFmpeg's I/O whose bytes go to the disk while it is
// being written: every few megabytes the kernel is asked to start writing
// back what came before. Publishing a finished output then waits only for
// its last few megabytes instead of the whole file, and a long job does not
// pile up gigabytes of unwritten memory.
//
// The file is created, or emptied when it holds something. Seekable, so a
// muxer can go back and fill in its index. Throws MediaError.
AVIOContext* openWriteBehindFile(const QString& path);

// Writes what is still buffered, closes the file and frees `io`. Write
// errors were already noted in `io->error` and reported by the muxer.
void closeWriteBehindFile(AVIOContext* io) noexcept;

}  // namespace tavero::media
