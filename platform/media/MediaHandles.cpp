#include "platform/media/MediaHandles.h"

#include "platform/files/FileNames.h"
#include "platform/media/MatroskaExtent.h"
#include "platform/media/MediaError.h"
#include "platform/media/VideoContainer.h"
#include "platform/media/WriteBehindFile.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

namespace tavero::media {

namespace {

// Room left past a Matroska file's last packet for its index and tags.
constexpr int64_t readPastTheMedia = 4 << 20;
// What is read of an MPEG-TS until its streams are known: its first bytes
// as far as FFmpeg's look reads by default (probesize), and its last as far
// back as FFmpeg's estimate of the lengths goes (250 kB, doubled six times).
// The demuxer passes over what it cannot read within a single read, so the
// look read on through whatever came next: the program took 10 CPU s and
// 1.6 GB of reading to open a 4 s file with 200 MB of random bytes in the
// middle.
constexpr int64_t transportHead = 5'000'000;
constexpr int64_t transportTail = int64_t(250'000) << 6;
// Streams an MPEG-TS without programme tables may have: a broadcast's
// programme carries a picture, a few sounds and subtitles.
constexpr int streamsWithoutTables = 16;

// The libraries talk about every encoder they open and every file they
// close; only their errors are worth the log.
void keepLibraryQuiet() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

int interrupted(void* flag) { return CancelToken::raised(static_cast<const std::atomic<bool>*>(flag)) ? 1 : 0; }

void requireNotCancelled(const CancelToken& cancel) {
    if (cancel.cancelled()) throw MediaError("cancelled", AVERROR_EXIT);
}

// A demuxer whose reads were refused says what it then missed ("moov atom
// not found"): a cancelled token is the reason.
int checkRead(int result, const char* step, const CancelToken& cancel) {
    if (result < 0 && cancel.cancelled()) throw MediaError(step, AVERROR_EXIT);
    return check(result, step);
}

// Anything the library would open by itself while reading the file.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

bool withinPictureLimit(int width, int height) {
    return width <= largestPictureSide && height <= largestPictureSide &&
           int64_t(width) * height <= largestPictureArea;
}

void requirePicturesWithinLimit(const AVFormatContext* context) {
    for (unsigned index = 0; index < context->nb_streams; ++index) {
        const AVCodecParameters* codec = context->streams[index]->codecpar;
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO && !withinPictureLimit(codec->width, codec->height))
            throw PictureTooLarge();
    }
}

using Parameters = std::unique_ptr<AVCodecParameters, FreeWith<avcodec_parameters_free>>;

bool picture(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The streams whose decoding `info` asks for.
std::vector<bool> streamsLookedInto(AVFormatContext* context, StreamInfo info) {
    std::vector<bool> looked(context->nb_streams, false);
    if (info == StreamInfo::fromHeader) return looked;
    for (unsigned index = 0; index < context->nb_streams; ++index)
        if (picture(context->streams[index])) {
            looked[index] = true;
            break;
        }
    if (info == StreamInfo::pictures) return looked;
    for (unsigned index = 0; index < context->nb_streams; ++index) {
        if (context->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        looked[index] = true;
        if (info == StreamInfo::picturesAndSound) break;
    }
    return looked;
}

// avformat_find_stream_info opens a decoder for every stream and decodes
// its first packets, discarded or not: 999 small video streams took 1.5 GB.
// A stream not looked into is discarded and shown to it as data of no known
// coding, which it leaves alone, and is given its parameters back after.
std::vector<Parameters> hideFromLook(AVFormatContext* context, const std::vector<bool>& looked) {
    std::vector<Parameters> hidden(context->nb_streams);
    for (unsigned index = 0; index < context->nb_streams; ++index) {
        if (looked[index]) continue;
        AVStream* stream = context->streams[index];
        stream->discard = AVDISCARD_ALL;
        hidden[index].reset(avcodec_parameters_alloc());
        if (!hidden[index]) throw MediaError("avcodec_parameters_alloc", AVERROR(ENOMEM));
        check(avcodec_parameters_copy(hidden[index].get(), stream->codecpar), "avcodec_parameters_copy");
        stream->codecpar->codec_type = AVMEDIA_TYPE_DATA;
        stream->codecpar->codec_id = AV_CODEC_ID_NONE;
    }
    return hidden;
}

void giveBack(AVFormatContext* context, const std::vector<Parameters>& hidden) {
    for (unsigned index = 0; index < context->nb_streams && index < hidden.size(); ++index)
        if (hidden[index]) check(avcodec_parameters_copy(context->streams[index]->codecpar, hidden[index].get()),
                                 "avcodec_parameters_copy");
}

// What decoding the streams `info` asks for tells. Its decoders are bounded
// as ours are.
void findStreamInfo(AVFormatContext* context, StreamInfo info, const CancelToken& cancel) {
    const std::vector<Parameters> hidden = hideFromLook(context, streamsLookedInto(context, info));
    std::vector<Dictionary> options(context->nb_streams);
    std::vector<AVDictionary*> entries;
    for (Dictionary& option : options) {
        av_dict_set_int(&option.entries, "max_pixels", largestPictureArea, 0);
        entries.push_back(option.entries);
    }
    const int found = avformat_find_stream_info(context, entries.data());
    // Each decoder took what it knew and left the rest in a new dictionary.
    for (size_t index = 0; index < options.size(); ++index) options[index].entries = entries[index];
    checkRead(found, "avformat_find_stream_info", cancel);
    giveBack(context, hidden);
}

// MPEG-TS finds its streams as their packets come, after the open, and the
// look decoded every one it found undiscarded (a 25 MB file of 999 small
// streams took 1.6 GB to open). Streams come from the programmes' tables
// alone, which are still read when they change (a stream joining late), and
// never from packets of a stream no table names. The look's estimate of the
// streams' lengths lets streams come again at its end: set anew after it.
void takeStreamsFromTablesOnly(AVFormatContext* context) {
    if (!transportStream(context)) return;
    check(av_opt_set_int(context, "scan_all_pmts", 1, AV_OPT_SEARCH_CHILDREN), "scan_all_pmts");
    check(av_opt_set_int(context, "skip_changes", 1, AV_OPT_SEARCH_CHILDREN), "skip_changes");
}

// An MPEG-TS without programme tables (a capture of a broadcast's video and
// sound alone), which FFmpeg opens by guessing from its packets, names no
// stream to take. Its streams are the first whose packets begin within the
// bytes the look reads, found by reading that far without decoding; none
// comes later, so those the reader leaves alone are never decoded. Each
// stream found costs its demuxer and parser some 400 KB whether it is read
// or not: 999 took 230 MB.
void takeStreamsFromPackets(AVFormatContext* context, const CancelToken& cancel) {
    if (!transportStream(context) || context->nb_streams > 0) return;
    context->max_streams = streamsWithoutTables;
    check(av_opt_set_int(context, "skip_changes", 0, AV_OPT_SEARCH_CHILDREN), "skip_changes");
    Packet packet = makePacket();
    while (avio_tell(context->pb) < context->probesize && av_read_frame(context, packet.get()) >= 0)
        av_packet_unref(packet.get());
    requireNotCancelled(cancel);
    check(av_opt_set_int(context, "skip_changes", 1, AV_OPT_SEARCH_CHILDREN), "skip_changes");
    check(av_seek_frame(context, -1, 0, AVSEEK_FLAG_BYTE), "av_seek_frame");
}

AVStream* firstPictureStream(AVFormatContext* context) {
    for (unsigned index = 0; index < context->nb_streams; ++index)
        if (picture(context->streams[index])) return context->streams[index];
    return nullptr;
}

// The first picture of `stream` that decodes, read from where `context`
// stands; none when the file ends first.
Frame firstPicture(AVFormatContext* context, const AVStream* stream, const CancelToken& cancel) {
    CodecContext decoder = openDecoder(stream);
    Packet packet = makePacket();
    Frame frame = makeFrame();
    for (bool ended = false; !ended;) {
        const int read = av_read_frame(context, packet.get());
        requireNotCancelled(cancel);
        ended = read < 0;
        if (!ended && packet->stream_index != stream->index) {
            av_packet_unref(packet.get());
            continue;
        }
        sendPlayable(decoder.get(), ended ? nullptr : packet.get());
        av_packet_unref(packet.get());
        while (receivePlayable(decoder.get(), frame.get()) == 0)
            if (frame->width > 0 && frame->height > 0) return frame;
    }
    return nullptr;
}

// An MPEG-TS picture stream that its table names only where it begins (a
// recording joined late, its sound first) may start after the look ended:
// then neither its size nor its start is known, and a trim was coded at
// 2 × 2. Its first picture tells them: the stream alone is read from the
// start until one decodes, and the file is read from the start again.
void learnLatePictures(AVFormatContext* context, const CancelToken& cancel) {
    AVStream* stream = firstPictureStream(context);
    if (!stream || stream->codecpar->width > 0 || !transportStream(context)) return;
    std::vector<AVDiscard> discards;
    for (unsigned index = 0; index < context->nb_streams; ++index) {
        discards.push_back(context->streams[index]->discard);
        context->streams[index]->discard = context->streams[index] == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    const Frame first = firstPicture(context, stream, cancel);
    for (unsigned index = 0; index < context->nb_streams && index < discards.size(); ++index)
        context->streams[index]->discard = discards[index];
    check(av_seek_frame(context, -1, 0, AVSEEK_FLAG_BYTE), "av_seek_frame");
    if (!first) return;
    AVCodecParameters* codec = stream->codecpar;
    codec->width = first->width;
    codec->height = first->height;
    codec->format = first->format;
    if (codec->sample_aspect_ratio.num == 0) codec->sample_aspect_ratio = first->sample_aspect_ratio;
    if (first->best_effort_timestamp == AV_NOPTS_VALUE) return;
    stream->start_time = first->best_effort_timestamp;
    // What the look gave it is the file's: it lasts as a stream that
    // declares no length, to the end of its last packet (PlayableSpan.h).
    stream->duration = AV_NOPTS_VALUE;
}

// A demuxer of `format` over `bytes` that reads only them.
InputContext openDemuxer(AVIOContext* bytes, const AVInputFormat* format, const QString& path,
                         const CancelToken& cancel) {
    AVFormatContext* context = avformat_alloc_context();
    if (!context) throw MediaError("avformat_alloc_context", AVERROR(ENOMEM));
    // The library reads only what we opened, and may give up between reads
    // as well as within them.
    context->pb = bytes;
    context->interrupt_callback = {interrupted, const_cast<std::atomic<bool>*>(cancel.flag())};
    context->io_open = refuseNestedOpen;
    // Whatever might still open a nested input finds no format but ours and
    // no protocol allowed (an empty list matches none).
    Dictionary options;
    av_dict_set(&options.entries, "format_whitelist", videoDemuxers, 0);
    av_dict_set(&options.entries, "protocol_whitelist", "", 0);
    // On failure avformat_open_input frees the context itself; the name only
    // goes into the library's messages.
    checkRead(avformat_open_input(&context, nativeFileName(path).constData(), format, &options.entries),
              "avformat_open_input", cancel);
    return InputContext(context);
}

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
    if (AVStream* stream = firstPictureStream(context)) return stream;
    throw MediaError("no video stream", AVERROR_STREAM_NOT_FOUND);
}

AVStream* firstSoundStream(AVFormatContext* context) {
    for (unsigned index = 0; index < context->nb_streams; ++index)
        if (context->streams[index]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return context->streams[index];
    return nullptr;
}

void discardAllBut(AVFormatContext* context, const AVStream* kept) {
    for (unsigned index = 0; index < context->nb_streams; ++index)
        if (context->streams[index] != kept) context->streams[index]->discard = AVDISCARD_ALL;
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
    decoder->max_pixels = largestPictureArea;
    check(avcodec_open2(decoder.get(), codec, nullptr), "avcodec_open2");
    return decoder;
}

void sendPlayable(AVCodecContext* decoder, const AVPacket* packet) {
    const int sent = avcodec_send_packet(decoder, packet);
    if (sent != AVERROR_INVALIDDATA && sent != AVERROR_EOF) check(sent, "avcodec_send_packet");
}

int receivePlayable(AVCodecContext* decoder, AVFrame* frame) {
    const int received = avcodec_receive_frame(decoder, frame);
    if (received == AVERROR_INVALIDDATA) return AVERROR(EAGAIN);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return received;
    return check(received, "avcodec_receive_frame");
}

InputFile::InputFile(const QString& path, CancelToken cancel, StreamInfo info)
    : cancel_(std::move(cancel)), bytes_(openFileInput(path, cancel_)) {
    keepLibraryQuiet();
    const AVInputFormat* format = videoContainerOf(bytes_.get());
    const bool transport = format == av_find_input_format("mpegts");
    if (transport) confineReadsToEnds(bytes_.get(), transportHead, transportTail);
    context_ = openDemuxer(bytes_.get(), format, path, cancel_);
    AVFormatContext* context = context_.get();
    requirePicturesWithinLimit(context);
    takeStreamsFromTablesOnly(context);
    takeStreamsFromPackets(context, cancel_);
    requirePicturesWithinLimit(context);
    std::optional<MatroskaExtent> extent;
    if (isMatroska(format)) {
        extent = readMatroskaExtent(path, cancel_, [&](AVIOContext* bytes) {
            return openDemuxer(bytes, format, path, cancel_);
        });
        // Whatever follows the last packet is read no further than its index
        // and tags take: a file followed by gigabytes of anything else once
        // had every reader scan them for a cluster.
        if (extent->end) confineReads(bytes_.get(), 0, *extent->end + readPastTheMedia);
    }
    if (info != StreamInfo::fromHeader) {
        findStreamInfo(context, info, cancel_);
        takeStreamsFromTablesOnly(context);
        learnLatePictures(context, cancel_);
        requirePicturesWithinLimit(context);
    }
    if (transport) confineReads(bytes_.get(), 0, std::numeric_limits<int64_t>::max());
    if (extent) giveStreamLengths(context, *extent);
}

void InputFile::throwIfCancelled() const {
    requireNotCancelled(cancel_);
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
