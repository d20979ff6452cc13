#include "platform/media/GifWriter.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

#include <libyuv/planar_functions.h>

#include <cstdio>

namespace tavero::media {

namespace {

// Both branches get every picture: palettegen sums up their colours and
// gives its palette at the end, paletteuse holds them until it has it.
constexpr const char* paletteFilters = "[in]split[a][b];[a]palettegen[p];[b][p]paletteuse[out]";

struct FilterEnds {
    AVFilterInOut* entries = nullptr;
    ~FilterEnds() { avfilter_inout_free(&entries); }
};

AVFilterInOut* filterEnd(const char* name, AVFilterContext* filter) {
    AVFilterInOut* end = avfilter_inout_alloc();
    if (!end) throw MediaError("avfilter_inout_alloc", AVERROR(ENOMEM));
    end->name = av_strdup(name);
    end->filter_ctx = filter;
    end->pad_idx = 0;
    end->next = nullptr;
    return end;
}

struct Dictionary {
    AVDictionary* entries = nullptr;
    ~Dictionary() { av_dict_free(&entries); }
};

CodecContext openGifEncoder(QSize size, int rate) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_GIF);
    if (!codec) throw MediaError("avcodec_find_encoder", AVERROR_ENCODER_NOT_FOUND);
    CodecContext encoder = makeCodecContext(codec);
    encoder->width = size.width();
    encoder->height = size.height();
    encoder->pix_fmt = AV_PIX_FMT_PAL8;
    encoder->time_base = {1, rate};
    check(avcodec_open2(encoder.get(), codec, nullptr), "avcodec_open2");
    return encoder;
}

void throwIfCancelled(const CancelToken& cancel) {
    if (cancel.cancelled()) throw MediaError("cancelled", AVERROR_EXIT);
}

}  // namespace

struct GifWriter::State {
    State(const QString& path, QSize size, int rate, const CancelToken& cancel)
        : cancel(cancel), size(size), output(openOutput(path, "gif")), encoder(openGifEncoder(size, rate)),
          packet(makePacket()), filtered(makeFrame()) {
        stream = avformat_new_stream(output.get(), nullptr);
        if (!stream) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
        check(avcodec_parameters_from_context(stream->codecpar, encoder.get()), "avcodec_parameters_from_context");
        stream->time_base = encoder->time_base;
        Dictionary options;
        // 0: the animation loops for ever.
        av_dict_set(&options.entries, "loop", "0", 0);
        check(avformat_write_header(output.get(), &options.entries), "avformat_write_header");
        buildFilters(rate);
    }

    void buildFilters(int rate) {
        graph.reset(avfilter_graph_alloc());
        if (!graph) throw MediaError("avfilter_graph_alloc", AVERROR(ENOMEM));
        char arguments[160];
        std::snprintf(arguments, sizeof arguments, "video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=1/1",
                      size.width(), size.height(), int(AV_PIX_FMT_BGRA), rate);
        check(avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", arguments, nullptr,
                                           graph.get()),
              "buffer");
        check(avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                           graph.get()),
              "buffersink");
        const AVPixelFormat paletted[] = {AV_PIX_FMT_PAL8, AV_PIX_FMT_NONE};
        check(av_opt_set_int_list(sink, "pix_fmts", paletted, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN),
              "pix_fmts");
        FilterEnds graphInput{filterEnd("in", source)};
        FilterEnds graphOutput{filterEnd("out", sink)};
        check(avfilter_graph_parse_ptr(graph.get(), paletteFilters, &graphOutput.entries, &graphInput.entries,
                                       nullptr),
              "avfilter_graph_parse_ptr");
        check(avfilter_graph_config(graph.get(), nullptr), "avfilter_graph_config");
    }

    // Codes whatever the filters have ready; all of it once they are closed.
    void drainFilters() {
        for (;;) {
            const int result = av_buffersink_get_frame(sink, filtered.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            check(result, "av_buffersink_get_frame");
            const int sent = avcodec_send_frame(encoder.get(), filtered.get());
            av_frame_unref(filtered.get());
            check(sent, "avcodec_send_frame");
            drainEncoder();
        }
    }

    void drainEncoder() {
        for (;;) {
            const int result = avcodec_receive_packet(encoder.get(), packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            check(result, "avcodec_receive_packet");
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(output.get(), packet.get()), "av_interleaved_write_frame");
        }
    }

    CancelToken cancel;
    QSize size;
    OutputContext output;
    CodecContext encoder;
    AVStream* stream = nullptr;
    Packet packet;
    Frame filtered;
    FilterGraph graph;
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    int64_t added = 0;
};

GifWriter::GifWriter(const QString& path, QSize size, int rate, const CancelToken& cancel)
    : state_(std::make_unique<State>(path, size, rate, cancel)) {}

GifWriter::~GifWriter() = default;

void GifWriter::add(const QImage& picture) {
    State& s = *state_;
    throwIfCancelled(s.cancel);
    if (picture.size() != s.size || picture.depth() != 32) throw MediaError("picture of another size", AVERROR(EINVAL));
    Frame frame = makeFrame();
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = s.size.width();
    frame->height = s.size.height();
    check(av_frame_get_buffer(frame.get(), 0), "av_frame_get_buffer");
    // RGB32 is opaque BGRA in memory on this platform's byte order.
    libyuv::ARGBCopy(picture.constBits(), int(picture.bytesPerLine()), frame->data[0], frame->linesize[0],
                     s.size.width(), s.size.height());
    frame->pts = s.added++;
    check(av_buffersrc_add_frame_flags(s.source, frame.get(), 0), "av_buffersrc_add_frame_flags");
    s.drainFilters();
}

void GifWriter::finish() {
    State& s = *state_;
    throwIfCancelled(s.cancel);
    check(av_buffersrc_add_frame_flags(s.source, nullptr, 0), "av_buffersrc_add_frame_flags");
    s.drainFilters();
    check(avcodec_send_frame(s.encoder.get(), nullptr), "avcodec_send_frame");
    s.drainEncoder();
    check(av_write_trailer(s.output.get()), "av_write_trailer");
    avio_flush(s.output->pb);
    check(s.output->pb->error, "avio_flush");
}

}  // namespace tavero::media
