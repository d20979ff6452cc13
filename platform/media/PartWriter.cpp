#include "platform/media/PartWriter.h"

#include "platform/files/FileNames.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/PictureEncoder.h"
#include "platform/media/SoundEncoder.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tavero::media {

namespace {

// Fragments start at keyframes, one a second: the most a crash can lose.
constexpr double keyframeInterval = 1.0;
constexpr double frameSeconds = 1.0 / 30;
// The muxer waits this long at most for a slower track before writing.
constexpr int64_t interleaveLimit = AV_TIME_BASE;

void removePart(const QString& path) { ::unlink(nativeFileName(path).constData()); }

}  // namespace

struct PartWriter::State {
    State(const QString& path, OutputContext opened, const PartFormat& format)
        : path(path),
          output(std::move(opened)),
          pictures(format.size, output->oformat->flags & AVFMT_GLOBALHEADER),
          size(format.size) {
        video = addStream(pictures.context());
        for (const QString& name : format.soundTracks) {
            sounds.push_back(std::make_unique<SoundEncoder>(output->oformat->flags & AVFMT_GLOBALHEADER));
            AVStream* stream = addStream(sounds.back()->context());
            if (!name.isEmpty())
                check(av_dict_set(&stream->metadata, "handler_name", name.toUtf8().constData(), 0), "av_dict_set");
            soundStreams.push_back(stream);
        }
        output->max_interleave_delta = interleaveLimit;
        Dictionary options;
        av_dict_set(&options.entries, "movflags", "+frag_keyframe+empty_moov+default_base_moof", 0);
        const int written = avformat_write_header(output.get(), &options.entries);
        check(written, "avformat_write_header");
        avio_flush(output->pb);
        check(output->pb->error, "avio_flush");
        headerEnd = whole = avio_tell(output->pb);
    }

    AVStream* addStream(const AVCodecContext* encoder) {
        AVStream* stream = avformat_new_stream(output.get(), nullptr);
        if (!stream) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
        check(avcodec_parameters_from_context(stream->codecpar, encoder), "avcodec_parameters_from_context");
        stream->time_base = encoder->time_base;
        return stream;
    }

    // Hands a packet of `encoder` to the muxer, which writes a fragment to
    // the disk when a keyframe begins the next one.
    void mux(AVPacket* packet, const AVCodecContext* encoder, AVStream* stream) {
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        std::lock_guard guard(lock);
        flush(av_interleaved_write_frame(output.get(), packet), "av_interleaved_write_frame");
    }

    // Writes out what the muxer gave, `muxed` its answer. Between packets
    // the muxer has written whole boxes, so the file then ends with a whole
    // fragment. When the disk refuses the bytes (full), the file is cut
    // back to that end: FFmpeg's reader refuses a file whose last fragment
    // is cut short in its index, and with it every second before. With no
    // fragment written yet, nothing plays, and the file goes. The lock held;
    // throws MediaError.
    void flush(int muxed, const char* step) {
        avio_flush(output->pb);
        const int refused = output->pb->error;
        if (refused < 0) keepWholeFragments();
        else if (muxed >= 0) whole = avio_tell(output->pb);
        check(muxed, step);
        check(refused, "avio_flush");
    }

    // The I/O writes nothing more once it failed.
    void keepWholeFragments() {
        if (std::exchange(cut, true)) return;
        if (whole > headerEnd) ::truncate(nativeFileName(path).constData(), whole);
        else removePart(path);
    }

    void muxPicture(AVPacket* packet) {
        // The last picture lasts one frame; the others until the next.
        const AVCodecContext* encoder = pictures.context();
        if (packet->duration == 0) packet->duration = std::llround(frameSeconds * encoder->time_base.den);
        mux(packet, encoder, video);
    }

    // Codes one picture through `encode` at `seconds`; false when it is not
    // later than the previous one.
    template <typename Encode>
    bool writePicture(double seconds, const Encode& encode) {
        const int64_t pts = std::llround(seconds * PictureEncoder::timeBase.den / PictureEncoder::timeBase.num);
        if (!std::isfinite(seconds) || (lastPts && pts <= *lastPts)) return false;
        const bool keyframe = !lastKeyframe || seconds - *lastKeyframe >= keyframeInterval - frameSeconds / 2;
        if (keyframe) lastKeyframe = seconds;
        lastPts = pts;
        encode(pts, keyframe, [&](AVPacket* packet) { muxPicture(packet); });
        written = seconds + frameSeconds;
        return true;
    }

    const QString path;
    OutputContext output;
    PictureEncoder pictures;
    std::vector<std::unique_ptr<SoundEncoder>> sounds;
    const QSize size;
    AVStream* video = nullptr;
    std::vector<AVStream*> soundStreams;
    std::mutex lock;
    // Under the lock: the file's bytes up to `whole` are on the disk, the
    // header's up to `headerEnd`; `cut` once a refused write cut it back.
    int64_t headerEnd = 0;
    int64_t whole = 0;
    bool cut = false;
    bool finished = false;

    // The picture thread's.
    std::optional<int64_t> lastPts;
    std::optional<double> lastKeyframe;
    std::atomic<double> written{0};
};

// A file that cannot be begun is not left behind.
PartWriter::PartWriter(const QString& path, const PartFormat& format) {
    OutputContext output = openOutput(path, "mp4");
    try {
        state_ = std::make_unique<State>(path, std::move(output), format);
    } catch (...) {
        output.reset();
        removePart(path);
        throw;
    }
}

// A part left before its first fragment reached the disk holds nothing that
// plays.
PartWriter::~PartWriter() {
    State& s = *state_;
    if (s.finished || s.cut || s.whole > s.headerEnd) return;
    s.output.reset();
    removePart(s.path);
}

QSize PartWriter::size() const { return state_->size; }

bool PartWriter::writePicture(const QImage& picture, double seconds) {
    return state_->writePicture(seconds, [&](int64_t pts, bool keyframe, const PictureEncoder::Ready& ready) {
        state_->pictures.encode(picture, pts, keyframe, ready);
    });
}

bool PartWriter::writePicture(const AVFrame& picture, double seconds) {
    return state_->writePicture(seconds, [&](int64_t pts, bool keyframe, const PictureEncoder::Ready& ready) {
        state_->pictures.encode(picture, pts, keyframe, ready);
    });
}

void PartWriter::writeSound(int track, const float* samples, int frames) {
    State& s = *state_;
    if (track < 0 || size_t(track) >= s.sounds.size()) throw MediaError("no such sound track", AVERROR(EINVAL));
    SoundEncoder& encoder = *s.sounds[size_t(track)];
    encoder.encode(samples, frames,
                   [&](AVPacket* packet) { s.mux(packet, encoder.context(), s.soundStreams[size_t(track)]); });
}

double PartWriter::writtenSeconds() const { return state_->written; }

void PartWriter::finish() {
    State& s = *state_;
    s.pictures.flush([&](AVPacket* packet) { s.muxPicture(packet); });
    for (size_t track = 0; track < s.sounds.size(); ++track)
        s.sounds[track]->flush([&](AVPacket* packet) {
            s.mux(packet, s.sounds[track]->context(), s.soundStreams[track]);
        });
    std::lock_guard guard(s.lock);
    s.flush(av_write_trailer(s.output.get()), "av_write_trailer");
    s.finished = true;
}

}  // namespace tavero::media
