#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>

namespace tavero::media {

namespace {

std::string describe(const std::string& step, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return step + ": " + text;
}

}  // namespace

MediaError::MediaError(const std::string& step, int code) : std::runtime_error(describe(step, code)), code_(code) {}

PictureTooLarge::PictureTooLarge() : MediaError("picture size", AVERROR(ERANGE)) {}

ContainerNotSupported::ContainerNotSupported() : MediaError("container", AVERROR_DEMUXER_NOT_FOUND) {}

bool MediaError::abandoned() const { return code_ == AVERROR_EXIT; }

bool WriteError::noSpace() const { return code() == AVERROR(ENOSPC) || code() == AVERROR(EDQUOT); }

int check(int result, const char* step) {
    if (result < 0) throw MediaError(step, result);
    return result;
}

}  // namespace tavero::media
