#include "platform/media/VideoContainer.h"

#include "platform/media/MediaError.h"

extern "C" {
#include <libavutil/avstring.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace tavero::media {

namespace {

// Enough for every container's signature, and for a few hundred packets of
// MPEG-TS, whose probe counts them.
constexpr int probeBytes = 64 << 10;

const AVInputFormat* demuxer(const char* name) {
    const AVInputFormat* format = av_find_input_format(name);
    if (!format) throw MediaError("av_find_input_format", AVERROR_DEMUXER_NOT_FOUND);
    return format;
}

// As the format whitelist of avformat_open_input matches.
bool opened(const AVInputFormat* format) { return av_match_list(format->name, videoDemuxers, ',') > 0; }

// Playlists and lists of files are text; every container is binary.
bool text(const uint8_t* bytes, int size) {
    return std::none_of(bytes, bytes + size, [](uint8_t byte) {
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f';
    });
}

}  // namespace

const AVInputFormat* videoContainerOf(AVIOContext* bytes) {
    std::vector<uint8_t> buffer(size_t(probeBytes + AVPROBE_PADDING_SIZE), 0);
    const int read = avio_read(bytes, buffer.data(), probeBytes);
    check(avio_seek(bytes, 0, SEEK_SET), "avio_seek");
    if (read == AVERROR_EXIT) check(read, "avio_read");
    // An empty or unreadable file is left to the demuxer to refuse.
    AVProbeData probe{};
    probe.filename = "";
    probe.buf = buffer.data();
    probe.buf_size = std::max(read, 0);
    int score = 0;
    const AVInputFormat* found = av_probe_input_format3(&probe, 1, &score);
    if (found && opened(found)) return found;
    if (found && score > AVPROBE_SCORE_RETRY && !text(probe.buf, probe.buf_size)) throw ContainerNotSupported();
    return demuxer("mov");
}

bool transportStream(const AVFormatContext* context) { return std::strcmp(context->iformat->name, "mpegts") == 0; }

}  // namespace tavero::media
