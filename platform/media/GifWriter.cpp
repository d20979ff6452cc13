#include "platform/media/GifWriter.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/threads/HandOffQueues.h"
#include "platform/threads/ThreadName.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

#include <libyuv/planar_functions.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tavero::media {

namespace {

// Set while a ScopedGifPictureLoss lives.
std::atomic<bool> losingLastPicture{false};

// Mapping onto the palette (with dithering) costs most of a GIF, and each
// picture maps on its own: several threads share it.
constexpr unsigned mappingThreadsAtMost = 8;

struct FilterEnds {
    AVFilterInOut* entries = nullptr;
    ~FilterEnds() { avfilter_inout_free(&entries); }
};

AVFilterInOut* filterEnd(const char* name, AVFilterContext* filter, AVFilterInOut* next = nullptr) {
    AVFilterInOut* end = avfilter_inout_alloc();
    if (!end) throw MediaError("avfilter_inout_alloc", AVERROR(ENOMEM));
    end->name = av_strdup(name);
    end->filter_ctx = filter;
    end->pad_idx = 0;
    end->next = next;
    return end;
}

// A filter graph from `description` between named `buffer` sources of BGRA
// pictures and one sink "out" that gives `sinkFormat`.
class Filters {
public:
    Filters(const char* description, const std::vector<std::pair<const char*, QSize>>& sources, int rate,
            AVPixelFormat sinkFormat)
        : graph_(avfilter_graph_alloc()) {
        if (!graph_) throw MediaError("avfilter_graph_alloc", AVERROR(ENOMEM));
        FilterEnds graphInputs;
        for (const auto& [name, size] : sources) {
            char arguments[160];
            std::snprintf(arguments, sizeof arguments, "video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=1/1",
                          size.width(), size.height(), int(AV_PIX_FMT_BGRA), rate);
            AVFilterContext* source = nullptr;
            check(avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), name, arguments, nullptr,
                                               graph_.get()),
                  "buffer");
            sources_.push_back(source);
            graphInputs.entries = filterEnd(name, source, graphInputs.entries);
        }
        check(avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                           graph_.get()),
              "buffersink");
        const AVPixelFormat formats[] = {sinkFormat, AV_PIX_FMT_NONE};
        check(av_opt_set_int_list(sink_, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN), "pix_fmts");
        FilterEnds graphOutput{filterEnd("out", sink_)};
        check(avfilter_graph_parse_ptr(graph_.get(), description, &graphOutput.entries, &graphInputs.entries, nullptr),
              "avfilter_graph_parse_ptr");
        check(avfilter_graph_config(graph_.get(), nullptr), "avfilter_graph_config");
    }

    // Hands `frame` to source `index` without taking it over; null ends the source.
    void add(int index, const AVFrame* frame) {
        check(av_buffersrc_add_frame_flags(sources_[size_t(index)], const_cast<AVFrame*>(frame),
                                           AV_BUFFERSRC_FLAG_KEEP_REF),
              "av_buffersrc_add_frame_flags");
    }

    // The next frame out of the graph; none while it has none ready, or after the last.
    Frame take() {
        Frame frame = makeFrame();
        const int result = av_buffersink_get_frame(sink_, frame.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return nullptr;
        check(result, "av_buffersink_get_frame");
        return frame;
    }

private:
    FilterGraph graph_;
    std::vector<AVFilterContext*> sources_;
    AVFilterContext* sink_ = nullptr;
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

// The first failure of the mapping threads, handed to the thread that waits for them.
class FirstFailure {
public:
    void keep(std::exception_ptr failure) {
        std::lock_guard lock(mutex_);
        if (!failure_) failure_ = std::move(failure);
    }
    void rethrow() {
        std::lock_guard lock(mutex_);
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    std::mutex mutex_;
    std::exception_ptr failure_;
};

}  // namespace

struct GifWriter::State {
    State(const QString& path, QSize size, int rate, const CancelToken& cancel)
        : cancel(cancel), size(size), rate(rate), output(openOutput(path, "gif")), encoder(openGifEncoder(size, rate)),
          packet(makePacket()), palette("[in]palettegen[out]", {{"in", size}}, rate, AV_PIX_FMT_BGRA) {
        stream = avformat_new_stream(output.get(), nullptr);
        if (!stream) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
        check(avcodec_parameters_from_context(stream->codecpar, encoder.get()), "avcodec_parameters_from_context");
        stream->time_base = encoder->time_base;
        Dictionary options;
        // 0: the animation loops for ever.
        av_dict_set(&options.entries, "loop", "0", 0);
        check(avformat_write_header(output.get(), &options.entries), "avformat_write_header");
    }

    // Maps the pictures onto `colours` on several threads, each with a graph
    // of its own taking every n-th picture, and codes them here in order as
    // they come.
    void mapAndEncode(const AVFrame& colours) {
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, mappingThreadsAtMost);
        OrderedQueue<Frame> mapped(int(2 * threads));
        FirstFailure failure;
        std::vector<std::thread> mappers;
        const auto stop = [&] {
            mapped.close();
            for (std::thread& mapper : mappers) mapper.join();
        };
        for (unsigned first = 0; first < threads; ++first)
            mappers.emplace_back([&, first] {
                nameThisThread("tavero-gif");
                try {
                    mapEvery(threads, first, colours, mapped);
                } catch (...) {
                    failure.keep(std::current_exception());
                    mapped.close();
                }
            });
        try {
            for (size_t index = 0; index < pictures.size(); ++index) {
                throwIfCancelled(cancel);
                const std::optional<Frame> picture = mapped.take();
                if (!picture) break;
                check(avcodec_send_frame(encoder.get(), picture->get()), "avcodec_send_frame");
                drainEncoder();
            }
        } catch (...) {
            stop();
            throw;
        }
        stop();
        failure.rethrow();
    }

    void mapEvery(unsigned step, unsigned first, const AVFrame& colours, OrderedQueue<Frame>& mapped) {
        Filters mapping("[in][colours]paletteuse[out]", {{"in", size}, {"colours", QSize(16, 16)}}, rate,
                        AV_PIX_FMT_PAL8);
        mapping.add(1, &colours);
        mapping.add(1, nullptr);
        for (size_t index = first; index < pictures.size(); index += step) {
            mapping.add(0, pictures[index].get());
            Frame paletted = mapping.take();
            if (!paletted) throw MediaError("paletteuse", AVERROR_BUG);
            pictures[index].reset();
            if (!mapped.put(int(index), std::move(paletted))) return;
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
    int rate;
    OutputContext output;
    CodecContext encoder;
    AVStream* stream = nullptr;
    Packet packet;
    // palettegen sums up the colours of every picture as it comes and gives
    // the palette at the end; the pictures wait here until then.
    Filters palette;
    std::vector<Frame> pictures;
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
    frame->pts = int64_t(s.pictures.size());
    s.palette.add(0, frame.get());
    s.pictures.push_back(std::move(frame));
}

void GifWriter::finish() {
    State& s = *state_;
    throwIfCancelled(s.cancel);
    s.palette.add(0, nullptr);
    if (losingLastPicture && !s.pictures.empty()) s.pictures.pop_back();
    Frame colours = s.palette.take();
    if (!colours) throw MediaError("palettegen", AVERROR_BUG);
    colours->pts = 0;
    s.mapAndEncode(*colours);
    check(avcodec_send_frame(s.encoder.get(), nullptr), "avcodec_send_frame");
    s.drainEncoder();
    check(av_write_trailer(s.output.get()), "av_write_trailer");
    avio_flush(s.output->pb);
    check(s.output->pb->error, "avio_flush");
}

ScopedGifPictureLoss::ScopedGifPictureLoss() { losingLastPicture = true; }

ScopedGifPictureLoss::~ScopedGifPictureLoss() { losingLastPicture = false; }

}  // namespace tavero::media
