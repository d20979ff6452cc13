#pragma once

#include "platform/media/CancelToken.h"

extern "C" {
#include <libavformat/avio.h>
}

#include <QString>

#include <memory>

namespace tavero::media {

struct FileInputCloser {
    void operator()(AVIOContext* io) const noexcept;
};
// FFmpeg's I/O over a file we opened; closing it closes the file.
using FileInput = std::unique_ptr<AVIOContext, FileInputCloser>;

// `path` open for a demuxer to read, as pictures and projects are opened
// (platform/files/RegularFile.h): only a regular file, checked on what was opened,
// so a FIFO, a device or a folder is refused at once under any name instead
// of keeping the reader waiting for ever. Every read first asks `cancel`,
// and ends the work as abandoned once it is cancelled. Seekable. Throws
// MediaError.
FileInput openFileInput(const QString& path, const CancelToken& cancel);

// Until called again, `bytes` (a FileInput) holds only the bytes from `from`
// up to `to`: a seek before them is refused, and reading ends at `to` as at
// the end of the file. A demuxer that scans for its next element (Matroska
// after damage) then finds nothing outside them.
void confineReads(AVIOContext* bytes, int64_t from, int64_t to);

// Until confineReads is called, `bytes` holds only its first `head` bytes
// and its last `tail`: reading ends at `head` as at the end of the file, and
// what lies between reads as nothing. A demuxer that skips what it cannot
// read (MPEG-TS over damage) then stops there, and can still read the last
// times at the end.
void confineReadsToEnds(AVIOContext* bytes, int64_t head, int64_t tail);

}  // namespace tavero::media
