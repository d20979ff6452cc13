#include "platform/SoundCapture.h"

#include "platform/ShotError.h"
#include "platform/SoundStamps.h"

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

// Small buffers keep the stamps close to the sound and the delay short.
constexpr pa_usec_t fragmentLength = 20'000;

struct LoopFree {
    void operator()(pa_threaded_mainloop* loop) const noexcept {
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }
};
struct ContextFree {
    void operator()(pa_context* context) const noexcept {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
struct StreamFree {
    void operator()(pa_stream* stream) const noexcept {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
};

// What the server says about a device: its name, format and whether it is
// the monitor of an output.
struct Device {
    QByteArray name;
    pa_sample_spec spec{};
    bool monitor = false;
    bool found = false;
};

class PulseSoundCapture;

struct Input {
    PulseSoundCapture* owner = nullptr;
    SoundInput kind = SoundInput::system;
    pa_sample_spec spec{};
    std::unique_ptr<pa_stream, StreamFree> stream;
    std::vector<float> aligned;
    SoundStamps stamps;
};

// The PulseAudio client: a threaded main loop whose thread delivers the
// chunks. Every access to the context and streams holds the loop's lock.
class PulseSoundCapture final : public SoundCapture {
public:
    PulseSoundCapture(const QList<SoundInput>& inputs, ChunkHandler chunk, FailureHandler failed)
        : chunk_(std::move(chunk)), failed_(std::move(failed)) {
        loop_.reset(pa_threaded_mainloop_new());
        if (!loop_) throw ShotError(noServer());
        pa_threaded_mainloop_set_name(loop_.get(), "tavero-pulse");
        try {
            Locked locked(loop_.get());
            connect();
            for (SoundInput kind : inputs) open(kind);
            running_ = true;
        } catch (...) {
            shutDown();
            throw;
        }
    }

    ~PulseSoundCapture() override { shutDown(); }

private:
    // What an introspection call hands back, and the loop to wake with it.
    template <typename T>
    struct Query {
        pa_threaded_mainloop* loop = nullptr;
        T result{};
    };

    struct Locked {
        explicit Locked(pa_threaded_mainloop* loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    // The streams and the context go under the loop's lock, then the loop's
    // thread ends: no callback runs afterwards.
    void shutDown() {
        {
            Locked locked(loop_.get());
            running_ = false;
            inputs_.clear();
            context_.reset();
        }
        loop_.reset();
    }

    void connect() {
        context_.reset(pa_context_new(pa_threaded_mainloop_get_api(loop_.get()), "Tavero"));
        if (!context_) throw ShotError(noServer());
        pa_context_set_state_callback(context_.get(), &PulseSoundCapture::contextChanged, this);
        // Never start a server of our own: no answer means no sound.
        if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
            pa_threaded_mainloop_start(loop_.get()) < 0)
            throw ShotError(noServer());
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_.get());
            if (state == PA_CONTEXT_READY) return;
            if (!PA_CONTEXT_IS_GOOD(state)) throw ShotError(noServer());
            pa_threaded_mainloop_wait(loop_.get());
        }
    }

    void open(SoundInput kind) {
        const Device device = kind == SoundInput::system ? systemMonitor() : microphone();
        auto input = std::make_unique<Input>();
        input->owner = this;
        input->kind = kind;
        // Floats at the device's own rate and channels: converting them is ours.
        input->spec = {PA_SAMPLE_FLOAT32NE, device.spec.rate, device.spec.channels};
        input->stream.reset(pa_stream_new(context_.get(), "录音", &input->spec, nullptr));
        if (!input->stream) throw ShotError(noServer());
        pa_stream_set_state_callback(input->stream.get(), &PulseSoundCapture::streamChanged, input.get());
        pa_stream_set_read_callback(input->stream.get(), &PulseSoundCapture::readable, input.get());
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
            pa_threaded_mainloop_wait(loop_.get());
        }
        inputs_.push_back(std::move(input));
    }

    // The monitor of the default output: what the computer plays.
    Device systemMonitor() {
        const QByteArray sink = defaults().first;
        Query<Device> query{loop_.get()};
        if (!sink.isEmpty())
            await(pa_context_get_sink_info_by_name(context_.get(), sink.constData(), &sinkFound, &query));
        if (!query.result.found || query.result.name.isEmpty()) throw ShotError(noServer());
        return query.result;
    }

    // The default input, unless it only repeats an output.
    Device microphone() {
        const QByteArray source = defaults().second;
        Query<Device> query{loop_.get()};
        if (!source.isEmpty())
            await(pa_context_get_source_info_by_name(context_.get(), source.constData(), &sourceFound, &query));
        if (!query.result.found || query.result.monitor) throw ShotError(noMicrophone());
        return query.result;
    }

    // The default output and input.
    std::pair<QByteArray, QByteArray> defaults() {
        Query<std::pair<QByteArray, QByteArray>> query{loop_.get()};
        await(pa_context_get_server_info(context_.get(), &serverFound, &query));
        return query.result;
    }

    void await(pa_operation* operation) {
        if (!operation) throw ShotError(noServer());
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) pa_threaded_mainloop_wait(loop_.get());
        pa_operation_unref(operation);
    }

    void fail(const QString& description) {
        if (!running_ || reported_) return;
        reported_ = true;
        qCWarning(lcSound) << "sound capture ended:" << pa_strerror(pa_context_errno(context_.get()));
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
            if (data && running_) chunk_(chunkOf(input, data, bytes));
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

    static void contextChanged(pa_context* context, void* self) {
        auto* capture = static_cast<PulseSoundCapture*>(self);
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) capture->fail(serverGone());
        pa_threaded_mainloop_signal(capture->loop_.get(), 0);
    }

    static void streamChanged(pa_stream* stream, void* data) {
        auto* input = static_cast<Input*>(data);
        PulseSoundCapture* capture = input->owner;
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            const bool serverAlive = pa_context_get_state(capture->context_.get()) == PA_CONTEXT_READY;
            capture->fail(serverAlive ? inputGone() : serverGone());
        }
        pa_threaded_mainloop_signal(capture->loop_.get(), 0);
    }

    static void readable(pa_stream*, size_t, void* data) {
        auto* input = static_cast<Input*>(data);
        input->owner->deliver(*input);
    }

    static void serverFound(pa_context*, const pa_server_info* info, void* data) {
        auto* query = static_cast<Query<std::pair<QByteArray, QByteArray>>*>(data);
        if (info && info->default_sink_name) query->result.first = info->default_sink_name;
        if (info && info->default_source_name) query->result.second = info->default_source_name;
        pa_threaded_mainloop_signal(query->loop, 0);
    }

    static void sinkFound(pa_context*, const pa_sink_info* info, int, void* data) {
        auto* query = static_cast<Query<Device>*>(data);
        if (info && info->monitor_source_name)
            query->result = {info->monitor_source_name, info->sample_spec, true, true};
        pa_threaded_mainloop_signal(query->loop, 0);
    }

    static void sourceFound(pa_context*, const pa_source_info* info, int, void* data) {
        auto* query = static_cast<Query<Device>*>(data);
        if (info) query->result = {info->name, info->sample_spec, info->monitor_of_sink != PA_INVALID_INDEX, true};
        pa_threaded_mainloop_signal(query->loop, 0);
    }

    ChunkHandler chunk_;
    FailureHandler failed_;
    std::unique_ptr<pa_threaded_mainloop, LoopFree> loop_;
    std::unique_ptr<pa_context, ContextFree> context_;
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
