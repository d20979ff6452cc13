#include "platform/media/FileInput.h"

#include "platform/files/RegularFile.h"
#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero::media {

namespace {

constexpr int bufferBytes = 64 << 10;

struct File {
    FileDescriptor descriptor;
    CancelToken cancel;
};

int readPacket(void* opaque, uint8_t* bytes, int size) {
    const auto& file = *static_cast<const File*>(opaque);
    for (;;) {
        if (file.cancel.cancelled()) return AVERROR_EXIT;
        const ssize_t read = ::read(file.descriptor.get(), bytes, size_t(size));
        if (read > 0) return int(read);
        if (read == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

int64_t seekTo(void* opaque, int64_t offset, int whence) {
    const auto& file = *static_cast<const File*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat status {};
        if (::fstat(file.descriptor.get(), &status) != 0) return AVERROR(errno);
        return status.st_size;
    }
    const off_t position = ::lseek(file.descriptor.get(), off_t(offset), whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(errno) : int64_t(position);
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

}  // namespace tavero::media
