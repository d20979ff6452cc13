#include "platform/media/FileInput.h"

#include "platform/files/RegularFile.h"
#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero::media {

namespace {

constexpr int bufferBytes = 64 << 10;

struct File {
    FileDescriptor descriptor;
    CancelToken cancel;
    int64_t position = 0;
    // The bytes readers may have (confineReads): from `from` up to `to`,
    // and those from `resumeAt` on (confineReadsToEnds).
    int64_t from = 0;
    int64_t to = std::numeric_limits<int64_t>::max();
    int64_t resumeAt = std::numeric_limits<int64_t>::max();
};

// Where reading from the file's position ends as at the end of the file.
int64_t readableUpTo(const File& file) {
    if (file.position < file.to) return file.to;
    return file.position >= file.resumeAt ? std::numeric_limits<int64_t>::max() : file.position;
}

int readPacket(void* opaque, uint8_t* bytes, int size) {
    auto& file = *static_cast<File*>(opaque);
    const int64_t end = readableUpTo(file);
    if (file.position >= end) return AVERROR_EOF;
    const auto wanted = size_t(std::min<int64_t>(size, end - file.position));
    for (;;) {
        if (file.cancel.cancelled()) return AVERROR_EXIT;
        const ssize_t read = ::pread(file.descriptor.get(), bytes, wanted, off_t(file.position));
        if (read > 0) {
            file.position += read;
            return int(read);
        }
        if (read == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

int64_t sizeOf(const File& file) {
    struct stat status {};
    if (::fstat(file.descriptor.get(), &status) != 0) return AVERROR(errno);
    return status.st_size;
}

int64_t seekTo(void* opaque, int64_t offset, int whence) {
    auto& file = *static_cast<File*>(opaque);
    if (whence & AVSEEK_SIZE) return sizeOf(file);
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = file.position;
        break;
    case SEEK_END:
        base = sizeOf(file);
        if (base < 0) return base;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (base + offset < file.from) return AVERROR(EINVAL);
    file.position = base + offset;
    return file.position;
}

}  // namespace

void FileInputCloser::operator()(AVIOContext* io) const noexcept {
    delete static_cast<File*>(io->opaque);
    av_freep(&io->buffer);
    avio_context_free(&io);
}

FileInput openFileInput(const QString& path, const CancelToken& cancel) {
    errno = 0;
    FileDescriptor descriptor = openRegularDescriptor(path);
    // A file that opened but is no regular file leaves errno as it was.
    if (!descriptor.valid()) throw MediaError("open", AVERROR(errno != 0 ? errno : EINVAL));
    auto* buffer = static_cast<unsigned char*>(av_malloc(bufferBytes));
    if (!buffer) throw MediaError("av_malloc", AVERROR(ENOMEM));
    auto* file = new File{std::move(descriptor), cancel};
    AVIOContext* io = avio_alloc_context(buffer, bufferBytes, 0, file, readPacket, nullptr, seekTo);
    if (!io) {
        av_free(buffer);
        delete file;
        throw MediaError("avio_alloc_context", AVERROR(ENOMEM));
    }
    return FileInput(io);
}

void confineReads(AVIOContext* bytes, int64_t from, int64_t to) {
    auto& file = *static_cast<File*>(bytes->opaque);
    file.from = from;
    file.to = to;
    file.resumeAt = std::numeric_limits<int64_t>::max();
}

void confineReadsToEnds(AVIOContext* bytes, int64_t head, int64_t tail) {
    auto& file = *static_cast<File*>(bytes->opaque);
    const int64_t size = sizeOf(file);
    file.from = 0;
    file.to = head;
    file.resumeAt = size < 0 ? std::numeric_limits<int64_t>::max() : std::max(head, size - tail);
}

}  // namespace tavero::media
