#include "platform/media/MediaHandles.h"

#include "platform/files/FileNames.h"
#include "platform/media/MediaError.h"
#include "platform/media/WriteBehindFile.h"

#include <mutex>
#include <utility>

namespace tavero::media {

namespace {

// The libraries talk about every encoder they open and every file they
// close; only their errors are worth the log.
void keepLibraryQuiet() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

int interrupted(void* flag) { return CancelToken::raised(static_cast<const std::atomic<bool>*>(flag)) ? 1 : 0; }

template <typename Handle>
Handle allocated(Handle handle, const char* step) {
    if (!handle) throw MediaError(step, AVERROR(ENOMEM));
    return handle;
}

}  // namespace

void OutputCloser::operator()(AVFormatContext* context) const noexcept {
    if (context->flags & AVFMT_FLAG_CUSTOM_IO)
        closeWriteBehindFile(std::exchange(context->pb, nullptr));
    else if (context->oformat && !(context->oformat->flags & AVFMT_NOFILE))
        avio_closep(&context->pb);
    avformat_free_context(context);
}

Frame makeFrame() { return allocated(Frame(av_frame_alloc()), "av_frame_alloc"); }
Packet makePacket() { return allocated(Packet(av_packet_alloc()), "av_packet_alloc"); }
CodecContext makeCodecContext(const AVCodec* codec) {
    return allocated(CodecContext(avcodec_alloc_context3(codec)), "avcodec_alloc_context3");
}

AVStream* firstVideoStream(AVFormatContext* context) {
    for (unsigned index = 0; index < context->nb_streams; ++index) {
        AVStream* stream = context->streams[index];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return stream;
    }
    throw MediaError("no video stream", AVERROR_STREAM_NOT_FOUND);
}

int64_t declaredLength(const AVFormatContext* context, const AVStream* stream) {
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) return stream->duration;
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return av_rescale_q(context->duration, AV_TIME_BASE_Q, stream->time_base);
    return 0;
}

CodecContext openDecoder(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) throw MediaError("avcodec_find_decoder", AVERROR_DECODER_NOT_FOUND);
    CodecContext decoder = makeCodecContext(codec);
    check(avcodec_parameters_to_context(decoder.get(), stream->codecpar), "avcodec_parameters_to_context");
    decoder->pkt_timebase = stream->time_base;
    decoder->thread_count = 0;
    check(avcodec_open2(decoder.get(), codec, nullptr), "avcodec_open2");
    return decoder;
}

InputFile::InputFile(const QString& path, CancelToken cancel, StreamInfo info)
    : cancel_(std::move(cancel)), bytes_(openFileInput(path, cancel_)) {
    keepLibraryQuiet();
    AVFormatContext* context = avformat_alloc_context();
    if (!context) throw MediaError("avformat_alloc_context", AVERROR(ENOMEM));
    // The library reads only what we opened, and may give up between reads
    // as well as within them.
    context->pb = bytes_.get();
    context->interrupt_callback = {interrupted, const_cast<std::atomic<bool>*>(cancel_.flag())};
    // On failure avformat_open_input frees the context itself; the name only
    // tells the kind of file by its extension.
    check(avformat_open_input(&context, nativeFileName(path).constData(), nullptr, nullptr), "avformat_open_input");
    context_.reset(context);
    if (info == StreamInfo::decoded) check(avformat_find_stream_info(context, nullptr), "avformat_find_stream_info");
}

void InputFile::throwIfCancelled() const {
    if (cancel_.cancelled()) throw MediaError("cancelled", AVERROR_EXIT);
}

OutputContext openOutput(const QString& path, const char* format, WriteBack writeBack) {
    keepLibraryQuiet();
    AVFormatContext* raw = nullptr;
    // The muxer keeps the path: moving the index to the front (faststart)
    // opens the file again by it.
    check(avformat_alloc_output_context2(&raw, nullptr, format, nativeFileName(path).constData()),
          "avformat_alloc_output_context2");
    OutputContext context(raw);
    if (context->oformat->flags & AVFMT_NOFILE) return context;
    if (writeBack == WriteBack::whileWriting) {
        context->pb = openWriteBehindFile(path);
        context->flags |= AVFMT_FLAG_CUSTOM_IO;
    } else {
        check(avio_open2(&context->pb, nativeFileName(path).constData(), AVIO_FLAG_WRITE,
                         &context->interrupt_callback, nullptr),
              "avio_open2");
    }
    return context;
}

}  // namespace tavero::media
