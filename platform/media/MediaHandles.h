#pragma once

// Owners for FFmpeg's objects: every context, frame and packet lives in one
// of these, so no path forgets to free it. FFmpeg's headers stay inside
// platform/; code above it reaches media through the typed functions of this
// folder.

#include "platform/media/CancelToken.h"
#include "platform/media/FileInput.h"
#include "platform/media/KeyframeSeek.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QString>

#include <memory>

namespace tavero::media {

// Frees a handle with one of FFmpeg's functions that take its address.
template <auto free>
struct FreeWith {
    template <typename Handle>
    void operator()(Handle* handle) const noexcept {
        free(&handle);
    }
};

// Frees a handle with one of FFmpeg's functions that take it as it is.
template <auto free>
struct FreeDirectly {
    template <typename Handle>
    void operator()(Handle* handle) const noexcept {
        free(handle);
    }
};

// Closes the file it reads from, then frees the context.
using InputContext = std::unique_ptr<AVFormatContext, FreeWith<avformat_close_input>>;

struct OutputCloser {
    void operator()(AVFormatContext* context) const noexcept;
};
// Closes the file it writes to (without writing a trailer), then frees the context.
using OutputContext = std::unique_ptr<AVFormatContext, OutputCloser>;

using CodecContext = std::unique_ptr<AVCodecContext, FreeWith<avcodec_free_context>>;
using Frame = std::unique_ptr<AVFrame, FreeWith<av_frame_free>>;
using Packet = std::unique_ptr<AVPacket, FreeWith<av_packet_free>>;
using FilterGraph = std::unique_ptr<AVFilterGraph, FreeWith<avfilter_graph_free>>;
using Resampler = std::unique_ptr<SwrContext, FreeWith<swr_free>>;
using Scaler = std::unique_ptr<SwsContext, FreeDirectly<sws_freeContext>>;

// Options for one of FFmpeg's calls, which takes out those it understands;
// what it leaves is freed with this.
struct Dictionary {
    AVDictionary* entries = nullptr;
    Dictionary() = default;
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;
    ~Dictionary() { av_dict_free(&entries); }
};

// The largest pictures a video may have to be opened: those of the largest
// screens (7680 × 4320) and cameras (DCI 8K, 8192 × 4320), either way up.
// Larger ones would cost gigabytes before the first is shown.
inline constexpr int largestPictureSide = 8192;
inline constexpr int64_t largestPictureArea = int64_t(8192) * 4320;

// Each throws MediaError when the library cannot allocate.
Frame makeFrame();
Packet makePacket();
CodecContext makeCodecContext(const AVCodec* codec);

// The first video stream of a file, cover pictures left out. Throws
// MediaError when there is none.
AVStream* firstVideoStream(AVFormatContext* context);
// The first sound stream of a file; null when there is none.
AVStream* firstSoundStream(AVFormatContext* context);
// Has the demuxer give only the packets of `kept`; the mov family steps over
// the other streams' samples without reading their bytes.
void discardAllBut(AVFormatContext* context, const AVStream* kept);
// The length of `stream` in its own time base as the file declares it (the
// stream's, else the file's); 0 when it declares none.
int64_t declaredLength(const AVFormatContext* context, const AVStream* stream);
// A decoder opened for `stream`, on as many threads as it likes, that
// refuses a picture beyond largestPictureArea whatever the header said.
// Throws MediaError.
CodecContext openDecoder(const AVStream* stream);

// avcodec_send_packet as a player feeds a decoder: a packet the decoder
// finds invalid (damaged, or of another coding, which an MPEG-TS may switch
// to midway under the same stream) is passed over, and nothing is sent after
// the end. Throws MediaError for any other failure.
void sendPlayable(AVCodecContext* decoder, const AVPacket* packet);
// avcodec_receive_frame, where a picture the decoder could make nothing of
// is passed over: 0 with a frame, AVERROR(EAGAIN) or AVERROR_EOF. Throws
// MediaError for any other failure.
int receivePlayable(AVCodecContext* decoder, AVFrame* frame);

// How much an InputFile learns of its streams on opening, and of which.
// Opening with what decoding tells looks only into the streams the reader
// reads: every other one is left unread (discarded) and never decoded, so a
// file's other streams cost no more than their headers however many it
// holds (FFmpeg's own bound: 1000).
enum class StreamInfo {
    // What decoding its first packets tells (pixel and sample formats, frame
    // sizes, decoder delay, and for MPEG-TS even the size and rate), of the
    // first picture stream (cover pictures left out): what a decoder or a new
    // encoder needs.
    pictures,
    // ... and of the first sound stream.
    picturesAndSound,
    // ... and of every sound stream.
    picturesAndEverySound,
    // What the container's header says of every stream (codec, size, rate,
    // channels, setup bytes, tags), which is enough to copy packets from an
    // MP4, QuickTime or Matroska file and costs no decoding.
    fromHeader,
};

// A video file open for reading whose reads give up once `cancel` is
// cancelled (the interrupt callback), or the program ends. Only a regular
// file opens (FileInput.h), only as MP4 or QuickTime (the videos the program
// opens by name), Matroska or WebM, or MPEG-TS (which players and converters
// write under those names), chosen by the file's first bytes; and the
// library opens nothing else on its behalf: no playlist's segments, no list's
// files, no track's external data. A Matroska file's streams are given the
// lengths their packets have, and it is read no further than a little past
// its last packet (MatroskaExtent.h).
class InputFile {
public:
    // Throws MediaError when the file is missing, no regular file or holds
    // no video container, ContainerNotSupported when it is a video of
    // another container, PictureTooLarge when a video stream declares
    // pictures beyond largestPictureSide or largestPictureArea (before any is
    // decoded).
    InputFile(const QString& path, CancelToken cancel, StreamInfo info = StreamInfo::pictures);

    AVFormatContext* get() const { return context_.get(); }
    AVFormatContext* operator->() const { return context_.get(); }
    // Throws MediaError (abandoned) once the token is cancelled.
    void throwIfCancelled() const;

private:
    CancelToken cancel_;  // keeps the interrupt callback's flag alive
    FileInput bytes_;     // outlives the context that reads it
    InputContext context_;
};

// When the bytes of an output go to the disk.
enum class WriteBack {
    // When the kernel gets round to it, or a flush asks for them.
    whenFlushed,
    // Started every few megabytes while writing, for a large file that is
    // flushed to the disk before it is published (WriteBehindFile.h).
    whileWriting,
};

// A muxer writing `path` in `format` ("mp4", "gif"): the file is created and
// open. Add streams, then avformat_write_header, packets, av_write_trailer.
// Throws MediaError.
OutputContext openOutput(const QString& path, const char* format, WriteBack writeBack = WriteBack::whenFlushed);

}  // namespace tavero::media
