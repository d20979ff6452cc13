#include "platform/media/WriteBehindFile.h"

#include "platform/files/FileNames.h"
#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero::media {

namespace {

constexpr int bufferBytes = 256 << 10;
// Written bytes are handed to the kernel's write-back in steps of this size.
constexpr int64_t writeBackStep = 8 << 20;

struct File {
    int descriptor = -1;
    int64_t position = 0;
    // The furthest byte written, and how far write-back has been started.
    int64_t end = 0;
    int64_t handedOver = 0;
};

void startWriteBack(File& file) {
    if (file.end - file.handedOver < writeBackStep) return;
    // Only a hint: where the kernel declines, publishing's flush does it all.
    ::sync_file_range(file.descriptor, file.handedOver, file.end - file.handedOver, SYNC_FILE_RANGE_WRITE);
    file.handedOver = file.end;
}

int writePacket(void* opaque, uint8_t* bytes, int size) {
    auto& file = *static_cast<File*>(opaque);
    for (int done = 0; done < size;) {
        const ssize_t written = ::pwrite(file.descriptor, bytes + done, size_t(size - done), file.position);
        if (written < 0) {
            if (errno == EINTR) continue;
            return AVERROR(errno);
        }
        done += int(written);
        file.position += written;
    }
    // A muxer going back to fill in its index leaves the write-back alone.
    if (file.position > file.end) {
        file.end = file.position;
        startWriteBack(file);
    }
    return size;
}

// FFmpeg's I/O asks only for absolute positions and for the size.
int64_t seekTo(void* opaque, int64_t offset, int whence) {
    auto& file = *static_cast<File*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat status {};
        if (::fstat(file.descriptor, &status) != 0) return AVERROR(errno);
        return status.st_size;
    }
    if ((whence & ~AVSEEK_FORCE) != SEEK_SET || offset < 0) return AVERROR(EINVAL);
    file.position = offset;
    return offset;
}

}  // namespace

AVIOContext* openWriteBehindFile(const QString& path) {
    // Emptied by hand, not with O_TRUNC: a file truncated on opening is
    // flushed whole when it is closed, which is exactly the wait this avoids.
    const int descriptor = ::open(nativeFileName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) throw MediaError("open", AVERROR(errno));
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || (status.st_size > 0 && ::ftruncate(descriptor, 0) != 0)) {
        const int error = errno;
        ::close(descriptor);
        throw MediaError("ftruncate", AVERROR(error));
    }
    auto* file = new File{descriptor};
    auto* buffer = static_cast<unsigned char*>(av_malloc(bufferBytes));
    AVIOContext* io = buffer ? avio_alloc_context(buffer, bufferBytes, 1, file, nullptr, writePacket, seekTo) : nullptr;
    if (!io) {
        av_free(buffer);
        ::close(descriptor);
        delete file;
        throw MediaError("avio_alloc_context", AVERROR(ENOMEM));
    }
    return io;
}

void closeWriteBehindFile(AVIOContext* io) noexcept {
    if (!io) return;
    avio_flush(io);
    auto* file = static_cast<File*>(io->opaque);
    ::close(file->descriptor);
    delete file;
    av_freep(&io->buffer);
    avio_context_free(&io);
}

}  // namespace tavero::media
