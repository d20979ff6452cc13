#include "platform/media/VideoFileWriter.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/PictureEncoder.h"

#include <limits>
#include <optional>
#include <vector>

namespace tavero::media {

namespace {

// Sound is copied this far ahead of the pictures, so the muxer always has
// both at hand to interleave.
constexpr double soundLead = 0.5;
// Room for the index per sample (sizes, times, offsets, keyframes, chunks)
// and for its fixed boxes, more than it takes.
constexpr int64_t indexBytesPerSample = 64;
constexpr int64_t indexFixedBytes = 64 << 10;

// Pictures for keeping: a quality at which screen text stays crisp, at a
// preset quick enough for a render to outpace playback. HEVC's scale counts
// differently: 22 looks about as 18 does in H.264.
PictureCoding codingFor(const VideoFileFormat& format) {
    const bool hevc = format.codec == VideoCodec::hevc;
    PictureCoding coding;
    coding.encoder = hevc ? "libx265" : "libx264";
    coding.preset = "veryfast";
    coding.quality = hevc ? "22" : "18";
    coding.timeBase = {1, format.rate};
    coding.rate = format.rate;
    coding.keyframeInterval = 2 * format.rate;
    coding.immediate = false;
    return coding;
}

AVStream* newStream(AVFormatContext* output) {
    AVStream* stream = avformat_new_stream(output, nullptr);
    if (!stream) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
    return stream;
}

// The sound tracks of another file, copied packet by packet in file order.
class SoundCopy {
public:
    SoundCopy(const QString& path, double start, const CancelToken& cancel, AVFormatContext* output)
        : input_(path, cancel, StreamInfo::picturesAndEverySound), packet_(makePacket()) {
        for (unsigned index = 0; index < input_->nb_streams; ++index) {
            AVStream* from = input_->streams[index];
            if (from->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
                from->discard = AVDISCARD_ALL;
                outputs_.push_back(nullptr);
                continue;
            }
            AVStream* to = newStream(output);
            check(avcodec_parameters_copy(to->codecpar, from->codecpar), "avcodec_parameters_copy");
            to->codecpar->codec_tag = 0;
            to->time_base = from->time_base;
            to->disposition = from->disposition;
            for (const char* key : {"handler_name", "language"})
                if (const AVDictionaryEntry* entry = av_dict_get(from->metadata, key, nullptr, 0))
                    av_dict_set(&to->metadata, key, entry->value, 0);
            outputs_.push_back(to);
        }
        startUs_ = int64_t(start * AV_TIME_BASE);
    }

    // Samples in the file, for the index's room.
    int64_t samples() const {
        int64_t count = 0;
        for (unsigned index = 0; index < input_->nb_streams; ++index)
            if (outputs_[index]) count += avformat_index_get_entries_count(input_->streams[index]);
        return count;
    }

    // Copies the packets that start by `seconds` on the output's time line.
    void copyUntil(double seconds, AVFormatContext* output) {
        for (;;) {
            if (!pending_ && !readNext()) return;
            const AVStream* from = input_->streams[packet_->stream_index];
            const int64_t stamp = packet_->dts != AV_NOPTS_VALUE ? packet_->dts : packet_->pts;
            const double at = double(stamp) * av_q2d(from->time_base) - double(startUs_) / AV_TIME_BASE;
            if (stamp != AV_NOPTS_VALUE && at > seconds) return;
            write(output);
        }
    }

private:
    bool readNext() {
        for (;;) {
            input_.throwIfCancelled();
            const int result = av_read_frame(input_.get(), packet_.get());
            if (result == AVERROR_EOF) return false;
            check(result, "av_read_frame");
            if (outputs_[size_t(packet_->stream_index)]) return pending_ = true;
            av_packet_unref(packet_.get());
        }
    }

    void write(AVFormatContext* output) {
        pending_ = false;
        const AVStream* from = input_->streams[packet_->stream_index];
        AVStream* to = outputs_[size_t(packet_->stream_index)];
        const int64_t shift = av_rescale_q(startUs_, AV_TIME_BASE_Q, from->time_base);
        if (packet_->pts != AV_NOPTS_VALUE) packet_->pts -= shift;
        if (packet_->dts != AV_NOPTS_VALUE) packet_->dts -= shift;
        av_packet_rescale_ts(packet_.get(), from->time_base, to->time_base);
        packet_->stream_index = to->index;
        packet_->pos = -1;
        check(av_interleaved_write_frame(output, packet_.get()), "av_interleaved_write_frame");
    }

    InputFile input_;
    Packet packet_;
    bool pending_ = false;
    std::vector<AVStream*> outputs_;
    int64_t startUs_ = 0;
};

}  // namespace

struct VideoFileWriter::State {
    State(const QString& path, const VideoFileFormat& format, const CancelToken& cancel)
        : cancel(cancel),
          output(openOutput(path, "mp4")),
          pictures(format.size, output->oformat->flags & AVFMT_GLOBALHEADER, codingFor(format)) {
        video = newStream(output.get());
        check(avcodec_parameters_from_context(video->codecpar, pictures.context()), "avcodec_parameters_from_context");
        // The tag players of other systems look for in MP4.
        if (format.codec == VideoCodec::hevc) video->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');
        video->time_base = pictures.context()->time_base;
        if (!format.soundFrom.isEmpty()) sound.emplace(format.soundFrom, format.soundStart, cancel, output.get());

        const int64_t samples = format.pictures + (sound ? sound->samples() : 0);
        Dictionary options;
        av_dict_set_int(&options.entries, "moov_size", indexFixedBytes + indexBytesPerSample * samples, 0);
        check(avformat_write_header(output.get(), &options.entries), "avformat_write_header");
    }

    void mux(AVPacket* packet) {
        const AVCodecContext* encoder = pictures.context();
        if (packet->duration == 0) packet->duration = 1;
        const double seconds = double(packet->pts) * av_q2d(encoder->time_base);
        if (sound) sound->copyUntil(seconds + soundLead, output.get());
        av_packet_rescale_ts(packet, encoder->time_base, video->time_base);
        packet->stream_index = video->index;
        check(av_interleaved_write_frame(output.get(), packet), "av_interleaved_write_frame");
    }

    CancelToken cancel;
    OutputContext output;
    PictureEncoder pictures;
    AVStream* video = nullptr;
    std::optional<SoundCopy> sound;
    int64_t written = 0;
};

VideoFileWriter::VideoFileWriter(const QString& path, const VideoFileFormat& format, const CancelToken& cancel)
    : state_(std::make_unique<State>(path, format, cancel)) {}

VideoFileWriter::~VideoFileWriter() = default;

void VideoFileWriter::writePicture(const QImage& picture) {
    State& s = *state_;
    if (s.cancel.cancelled()) throw MediaError("cancelled", AVERROR_EXIT);
    s.pictures.encode(picture, s.written++, false, [&](AVPacket* packet) { s.mux(packet); });
}

void VideoFileWriter::finish() {
    State& s = *state_;
    s.pictures.flush([&](AVPacket* packet) { s.mux(packet); });
    if (s.sound) s.sound->copyUntil(std::numeric_limits<double>::infinity(), s.output.get());
    check(av_write_trailer(s.output.get()), "av_write_trailer");
    avio_flush(s.output->pb);
    check(s.output->pb->error, "avio_flush");
}

}  // namespace tavero::media
