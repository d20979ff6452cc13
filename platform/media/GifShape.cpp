#include "platform/media/GifShape.h"

#include "platform/media/FileInput.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"

namespace tavero::media {

GifShape readGifShape(const QString& path, const CancelToken& cancel) {
    const FileInput bytes = openFileInput(path, cancel);
    const AVInputFormat* gif = av_find_input_format("gif");
    if (!gif) throw MediaError("av_find_input_format", AVERROR_DEMUXER_NOT_FOUND);
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) throw MediaError("avformat_alloc_context", AVERROR(ENOMEM));
    raw->pb = bytes.get();
    // On failure avformat_open_input frees the context itself.
    check(avformat_open_input(&raw, "", gif, nullptr), "avformat_open_input");
    const InputContext context(raw);
    if (context->nb_streams != 1) throw MediaError("not one picture stream", AVERROR_INVALIDDATA);
    const AVCodecParameters* codec = context->streams[0]->codecpar;
    GifShape shape{QSize(codec->width, codec->height)};
    // The demuxer gives each picture, with the blocks before it, as a packet.
    Packet packet = makePacket();
    for (int read = 0; (read = av_read_frame(context.get(), packet.get())) != AVERROR_EOF;) {
        check(read, "av_read_frame");
        ++shape.pictures;
        av_packet_unref(packet.get());
    }
    return shape;
}

}  // namespace tavero::media
