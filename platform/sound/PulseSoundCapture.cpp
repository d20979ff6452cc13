#include "platform/sound/SoundCapture.h"

#include "platform/ShotError.h"
#include "platform/sound/PulseConnection.h"
#include "platform/sound/SoundStamps.h"

#include <QByteArray>
#include <QLoggingCategory>

#include <pulse/pulseaudio.h>

#include <cstring>
#include <vector>

namespace tavero {

Q_LOGGING_CATEGORY(lcSound, "tavero.sound")

namespace {

QString noServer() { return QStringLiteral("无法连接声音服务，请确认系统声音可用后重试。"); }
QString noMicrophone() { return QStringLiteral("没有找到麦克风。"); }
QString serverGone() { return QStringLiteral("声音服务已断开"); }
QString inputGone() { return QStringLiteral("录音设备已断开"); }
QString microphoneGone() { return QStringLiteral("麦克风已断开"); }

// Small buffers keep the stamps close to the sound and the delay short.
constexpr pa_usec_t fragmentLength = 20'000;

struct StreamFree {
    void operator()(pa_stream* stream) const noexcept {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_set_moved_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
};

class PulseSoundCapture;

struct Input {
    PulseSoundCapture* owner = nullptr;
    SoundInput kind = SoundInput::system;
    pa_sample_spec spec{};
    std::unique_ptr<pa_stream, StreamFree> stream;
    std::vector<float> aligned;
    SoundStamps stamps;
    // It now repeats an output: what it delivers is dropped.
    bool repeatsOutput = false;
};

// The capture's streams on a connection of their own, whose loop's thread
// delivers the chunks. Every access to the streams holds the loop's lock.
class PulseSoundCapture final : public SoundCapture {
public:
    PulseSoundCapture(const QList<SoundInput>& inputs, ChunkHandler chunk, FailureHandler failed)
        : chunk_(std::move(chunk)), failed_(std::move(failed)) {
        connection_ = std::make_unique<PulseConnection>([this] { fail(serverGone()); });
        try {
            PulseConnection::Locked locked(*connection_);
            for (SoundInput kind : inputs) open(kind);
            connection_->settled();
            running_ = true;
        } catch (...) {
            shutDown();
            throw;
        }
    }

    ~PulseSoundCapture() override { shutDown(); }

private:
    // The streams go under the loop's lock, then the connection: no callback
    // runs afterwards.
    void shutDown() {
        {
            PulseConnection::Locked locked(*connection_);
            running_ = false;
            inputs_.clear();
        }
        connection_.reset();
    }

    void open(SoundInput kind) {
        const PulseDevice device = kind == SoundInput::system ? systemMonitor() : microphone();
        auto input = std::make_unique<Input>();
        input->owner = this;
        input->kind = kind;
        // Floats at the device's own rate and channels: converting them is ours.
        input->spec = {PA_SAMPLE_FLOAT32NE, device.spec.rate, device.spec.channels};
        input->stream.reset(pa_stream_new(connection_->context(), "录音", &input->spec, nullptr));
        if (!input->stream) throw ShotError(noServer());
        pa_stream_set_state_callback(input->stream.get(), &PulseSoundCapture::streamChanged, input.get());
        pa_stream_set_read_callback(input->stream.get(), &PulseSoundCapture::readable, input.get());
        if (kind == SoundInput::microphone)
            pa_stream_set_moved_callback(input->stream.get(), &PulseSoundCapture::microphoneMoved, input.get());
        pa_buffer_attr attributes;
        std::memset(&attributes, 0xff, sizeof attributes);
        attributes.fragsize = uint32_t(pa_usec_to_bytes(fragmentLength, &input->spec));
        const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                             PA_STREAM_AUTO_TIMING_UPDATE);
        const QString refusal = kind == SoundInput::microphone ? noMicrophone() : noServer();
        if (pa_stream_connect_record(input->stream.get(), device.name.constData(), &attributes, flags) < 0)
            throw ShotError(refusal);
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(input->stream.get());
            if (state == PA_STREAM_READY) break;
            if (!PA_STREAM_IS_GOOD(state)) throw ShotError(refusal);
            connection_->wait();
        }
        inputs_.push_back(std::move(input));
    }

    // The monitor of the default output: what the computer plays.
    PulseDevice systemMonitor() {
        const std::optional<PulseDevice> monitor = connection_->monitorOf(connection_->defaults().first);
        if (!monitor || monitor->name.isEmpty()) throw ShotError(noServer());
        return *monitor;
    }

    PulseDevice microphone() {
        const std::optional<PulseDevice> microphone = connection_->microphone();
        if (!microphone) throw ShotError(noMicrophone());
        return *microphone;
    }

    void fail(const QString& description) {
        if (!running_ || reported_) return;
        reported_ = true;
        qCWarning(lcSound) << "sound capture ended:" << pa_strerror(pa_context_errno(connection_->context()));
        failed_(description);
    }

    void deliver(Input& input) {
        pa_stream* stream = input.stream.get();
        while (pa_stream_readable_size(stream) > 0) {
            const void* data = nullptr;
            size_t bytes = 0;
            if (pa_stream_peek(stream, &data, &bytes) < 0) return fail(inputGone());
            if (bytes == 0) return;
            // A hole (no data) is skipped: the stamps of what follows tell
            // how long it was.
            if (data && running_ && !input.repeatsOutput) chunk_(chunkOf(input, data, bytes));
            pa_stream_drop(stream);
        }
    }

    SoundChunk chunkOf(Input& input, const void* data, size_t bytes) {
        const int channels = input.spec.channels;
        const int frames = int(bytes / (sizeof(float) * size_t(channels)));
        const float* samples = static_cast<const float*>(data);
        if (reinterpret_cast<uintptr_t>(data) % alignof(float) != 0) {
            input.aligned.resize(size_t(frames) * size_t(channels));
            std::memcpy(input.aligned.data(), data, input.aligned.size() * sizeof(float));
            samples = input.aligned.data();
        }
        // It jitters, so the stamps follow one another (SoundStamps).
        const MonotonicTime now = std::chrono::steady_clock::now();
        const int rate = int(input.spec.rate);
        return {input.kind, samples, frames, channels, rate, input.stamps.place(now - age(input), frames, rate, now)};
    }

    // How long ago the first sample not yet read (this chunk's first) was
    // captured. A microphone's is the latency the server reports. What the
    // computer plays reaches the output's monitor as the output mixes it,
    // which is when the programs handed it over; the monitor's latency
    // counts the output's queue still to be played as well (measured: over
    // half a second on a null output), which lies ahead, not behind. Its
    // sound is as old as what waits for us to read it.
    std::chrono::microseconds age(Input& input) {
        pa_stream* stream = input.stream.get();
        const std::chrono::microseconds waiting(pa_bytes_to_usec(pa_stream_readable_size(stream), &input.spec));
        if (input.kind == SoundInput::system) return waiting;
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latency, &negative) != 0) return waiting;
        return std::chrono::microseconds(negative ? -qint64(latency) : qint64(latency));
    }

    static void streamChanged(pa_stream* stream, void* data) {
        auto* input = static_cast<Input*>(data);
        PulseSoundCapture* capture = input->owner;
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            const bool serverAlive = pa_context_get_state(capture->connection_->context()) == PA_CONTEXT_READY;
            capture->fail(!serverAlive                              ? serverGone()
                          : input->kind == SoundInput::microphone ? microphoneGone()
                                                                  : inputGone());
        }
        pa_threaded_mainloop_signal(capture->connection_->loop(), 0);
    }

    // The server moves a stream whose input went away to another one, and a
    // monitor is all that is left where no other microphone is: that sound
    // is no microphone, and the take must not go on as if it were.
    // The answer comes once the inputs may be gone (shutDown): it looks
    // for the microphone among those still there.
    static void microphoneMoved(pa_stream* stream, void* data) {
        PulseSoundCapture* capture = static_cast<Input*>(data)->owner;
        const char* device = pa_stream_get_device_name(stream);
        if (!device) return;
        pa_operation* operation = pa_context_get_source_info_by_name(capture->connection_->context(), device,
                                                                     &PulseSoundCapture::microphoneNowAt, capture);
        if (operation) pa_operation_unref(operation);
    }

    static void microphoneNowAt(pa_context*, const pa_source_info* info, int, void* self) {
        if (!info || info->monitor_of_sink == PA_INVALID_INDEX) return;
        auto* capture = static_cast<PulseSoundCapture*>(self);
        for (const std::unique_ptr<Input>& input : capture->inputs_)
            if (input->kind == SoundInput::microphone) input->repeatsOutput = true;
        capture->fail(microphoneGone());
    }

    static void readable(pa_stream*, size_t, void* data) {
        auto* input = static_cast<Input*>(data);
        input->owner->deliver(*input);
    }

    ChunkHandler chunk_;
    FailureHandler failed_;
    std::unique_ptr<PulseConnection> connection_;
    std::vector<std::unique_ptr<Input>> inputs_;
    bool running_ = false;
    bool reported_ = false;
};

}  // namespace

std::unique_ptr<SoundCapture> openSoundCapture(const QList<SoundInput>& inputs, SoundCapture::ChunkHandler chunk,
                                               SoundCapture::FailureHandler failed) {
    return std::make_unique<PulseSoundCapture>(inputs, std::move(chunk), std::move(failed));
}

}  // namespace tavero
