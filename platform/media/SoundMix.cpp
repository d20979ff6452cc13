#include "platform/media/SoundMix.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/SoundResampling.h"

#include <array>
#include <cstdlib>
#include <vector>

namespace tavero::media {

namespace {

constexpr int mixRate = 48000;
constexpr AVRational mixBase{1, mixRate};
constexpr int mixBitRate = 192'000;
// The sound of all tracks is known this far behind the furthest packet read
// (the joined file is interleaved in time order), so the mix can be encoded
// up to there while the file is still being read.
constexpr int64_t readAhead = 2 * mixRate;
// A track's next frame this close to where its last one ended continues it
// without a gap or an overlap.
constexpr int64_t continuation = mixRate / 100;

// The sum of the tracks, in stereo planes, from the first sample not yet
// encoded on.
class MixBuffer {
public:
    int64_t base() const { return base_; }
    int64_t end() const { return base_ + int64_t(planes_[0].size() - start_); }

    void add(int64_t position, const std::array<std::vector<float>, 2>& sound, int count, float gain) {
        int skip = 0;
        if (position < base_) skip = int(std::min<int64_t>(base_ - position, count));
        const size_t from = start_ + size_t(position + skip - base_);
        for (size_t channel = 0; channel < 2; ++channel) {
            std::vector<float>& plane = planes_[channel];
            if (plane.size() < from + size_t(count - skip)) plane.resize(from + size_t(count - skip), 0.0f);
            for (int sample = skip; sample < count; ++sample) plane[from + size_t(sample - skip)] += gain * sound[channel][size_t(sample)];
        }
    }

    // Moves the first `count` samples into `frame`, silence where no track
    // had any.
    void take(int count, AVFrame* frame) {
        for (size_t channel = 0; channel < 2; ++channel) {
            std::vector<float>& plane = planes_[channel];
            auto* out = reinterpret_cast<float*>(frame->data[channel]);
            for (int sample = 0; sample < count; ++sample) {
                const size_t index = start_ + size_t(sample);
                out[sample] = index < plane.size() ? plane[index] : 0.0f;
            }
        }
        start_ += size_t(count);
        base_ += count;
        if (start_ >= size_t(readAhead)) {
            for (std::vector<float>& plane : planes_) plane.erase(plane.begin(), plane.begin() + std::ptrdiff_t(std::min(start_, plane.size())));
            start_ = 0;
        }
    }

private:
    int64_t base_ = 0;
    size_t start_ = 0;
    std::array<std::vector<float>, 2> planes_;
};

// One sound track of the input, decoded and brought to the mix's format.
class SoundTrack {
public:
    explicit SoundTrack(const AVStream* stream) : stream_(stream), frame_(makeFrame()) {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec) throw MediaError("avcodec_find_decoder", AVERROR_DECODER_NOT_FOUND);
        decoder_ = makeCodecContext(codec);
        check(avcodec_parameters_to_context(decoder_.get(), stream->codecpar), "avcodec_parameters_to_context");
        decoder_->pkt_timebase = stream->time_base;
        check(avcodec_open2(decoder_.get(), codec, nullptr), "avcodec_open2");
    }

    int index() const { return stream_->index; }

    // Decodes `packet` (null at the end) and adds what it holds to the mix.
    void decode(const AVPacket* packet, MixBuffer& mix, float gain) {
        const int sent = avcodec_send_packet(decoder_.get(), packet);
        if (sent != AVERROR_EOF && sent != AVERROR_INVALIDDATA) check(sent, "avcodec_send_packet");
        for (;;) {
            const int result = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            check(result, "avcodec_receive_frame");
            place(mix, gain);
            av_frame_unref(frame_.get());
        }
    }

private:
    void place(MixBuffer& mix, float gain) {
        int64_t position = next_;
        if (frame_->best_effort_timestamp != AV_NOPTS_VALUE) {
            const int64_t stamped = av_rescale_q(frame_->best_effort_timestamp, stream_->time_base, mixBase);
            if (next_ == AV_NOPTS_VALUE || std::llabs(stamped - next_) > continuation) position = stamped;
        }
        if (position == AV_NOPTS_VALUE) position = 0;
        const int count = convert();
        mix.add(position, sound_, count, gain);
        next_ = position + count;
    }

    // The frame as 48 kHz stereo planes in sound_; returns the samples made.
    int convert() {
        if (!resampler_) {
            const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
            resampler_ = allocateResampler(frame_->ch_layout, AVSampleFormat(frame_->format), frame_->sample_rate,
                                           stereo, AV_SAMPLE_FMT_FLTP, mixRate);
            check(swr_init(resampler_.get()), "swr_init");
        }
        const int room = check(swr_get_out_samples(resampler_.get(), frame_->nb_samples), "swr_get_out_samples");
        for (std::vector<float>& plane : sound_) plane.resize(size_t(room));
        uint8_t* planes[] = {reinterpret_cast<uint8_t*>(sound_[0].data()), reinterpret_cast<uint8_t*>(sound_[1].data())};
        return check(swr_convert(resampler_.get(), planes, room, const_cast<const uint8_t**>(frame_->extended_data),
                                 frame_->nb_samples),
                     "swr_convert");
    }

    const AVStream* stream_;
    CodecContext decoder_;
    Resampler resampler_;
    Frame frame_;
    std::array<std::vector<float>, 2> sound_;
    int64_t next_ = AV_NOPTS_VALUE;
};

class Mixer {
public:
    Mixer(const QString& input, const QString& output, float gain, const CancelToken& cancel)
        : input_(input, cancel, StreamInfo::picturesAndEverySound), output_(openOutput(output, "mp4", WriteBack::whileWriting)), gain_(gain), packet_(makePacket()) {
        for (unsigned index = 0; index < input_->nb_streams; ++index) {
            AVStream* stream = input_->streams[index];
            const AVMediaType type = stream->codecpar->codec_type;
            if (type == AVMEDIA_TYPE_AUDIO)
                tracks_.emplace_back(stream);
            else if (type == AVMEDIA_TYPE_VIDEO && !video_ && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
                video_ = stream;
            else
                stream->discard = AVDISCARD_ALL;
        }
        if (video_) addVideo();
        addSound();
        Dictionary options;
        av_dict_set(&options.entries, "movflags", "+faststart", 0);
        check(avformat_write_header(output_.get(), &options.entries), "avformat_write_header");
    }

    void run() {
        int64_t horizon = 0;
        for (;;) {
            input_.throwIfCancelled();
            const int result = av_read_frame(input_.get(), packet_.get());
            if (result == AVERROR_EOF) break;
            check(result, "av_read_frame");
            const AVStream* stream = input_->streams[packet_->stream_index];
            const int64_t time = packet_->dts != AV_NOPTS_VALUE ? packet_->dts : packet_->pts;
            if (time != AV_NOPTS_VALUE) horizon = std::max(horizon, av_rescale_q(time, stream->time_base, mixBase));
            if (stream == video_)
                copyPicture();
            else
                decodeSound();
            av_packet_unref(packet_.get());
            encodeUpTo(horizon - readAhead);
        }
        for (SoundTrack& track : tracks_) track.decode(nullptr, mix_, gain_);
        encodeUpTo(mix_.end());
        if (mix_.end() > mix_.base()) encodeFrame(int(mix_.end() - mix_.base()));
        drain(nullptr);
        check(av_write_trailer(output_.get()), "av_write_trailer");
    }

private:
    void addVideo() {
        AVStream* out = avformat_new_stream(output_.get(), nullptr);
        if (!out) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
        check(avcodec_parameters_copy(out->codecpar, video_->codecpar), "avcodec_parameters_copy");
        out->time_base = video_->time_base;
        videoOut_ = out;
    }

    void addSound() {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec) throw MediaError("avcodec_find_encoder", AVERROR_ENCODER_NOT_FOUND);
        encoder_ = makeCodecContext(codec);
        encoder_->sample_rate = mixRate;
        encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        encoder_->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
        encoder_->bit_rate = mixBitRate;
        encoder_->time_base = mixBase;
        if (output_->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        check(avcodec_open2(encoder_.get(), codec, nullptr), "avcodec_open2");
        soundOut_ = avformat_new_stream(output_.get(), nullptr);
        if (!soundOut_) throw MediaError("avformat_new_stream", AVERROR(ENOMEM));
        check(avcodec_parameters_from_context(soundOut_->codecpar, encoder_.get()), "avcodec_parameters_from_context");
        soundOut_->time_base = mixBase;
    }

    void copyPicture() {
        av_packet_rescale_ts(packet_.get(), video_->time_base, videoOut_->time_base);
        packet_->stream_index = videoOut_->index;
        packet_->pos = -1;
        check(av_interleaved_write_frame(output_.get(), packet_.get()), "av_interleaved_write_frame");
    }

    void decodeSound() {
        for (SoundTrack& track : tracks_)
            if (track.index() == packet_->stream_index) return track.decode(packet_.get(), mix_, gain_);
    }

    void encodeUpTo(int64_t limit) {
        while (mix_.base() + encoder_->frame_size <= limit) encodeFrame(encoder_->frame_size);
    }

    void encodeFrame(int count) {
        Frame frame = makeFrame();
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = mixRate;
        check(av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout), "av_channel_layout_copy");
        frame->nb_samples = count;
        check(av_frame_get_buffer(frame.get(), 0), "av_frame_get_buffer");
        frame->pts = mix_.base();
        mix_.take(count, frame.get());
        drain(frame.get());
    }

    // Hands `frame` (null at the end) to the encoder and writes its packets.
    void drain(const AVFrame* frame) {
        check(avcodec_send_frame(encoder_.get(), frame), "avcodec_send_frame");
        Packet packet = makePacket();
        for (;;) {
            const int result = avcodec_receive_packet(encoder_.get(), packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            check(result, "avcodec_receive_packet");
            av_packet_rescale_ts(packet.get(), encoder_->time_base, soundOut_->time_base);
            packet->stream_index = soundOut_->index;
            check(av_interleaved_write_frame(output_.get(), packet.get()), "av_interleaved_write_frame");
        }
    }

    InputFile input_;
    OutputContext output_;
    const float gain_;
    Packet packet_;
    const AVStream* video_ = nullptr;
    AVStream* videoOut_ = nullptr;
    AVStream* soundOut_ = nullptr;
    std::vector<SoundTrack> tracks_;
    CodecContext encoder_;
    MixBuffer mix_;
};

}  // namespace

void mixSoundTracks(const QString& input, const QString& output, float gain, const CancelToken& cancel) {
    Mixer mixer(input, output, gain, cancel);
    mixer.run();
}

}  // namespace tavero::media
