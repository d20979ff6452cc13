#include "platform/sound/SoundOutput.h"

#include "platform/ShotError.h"
#include "platform/sound/PulseConnection.h"

#include <QLoggingCategory>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>

namespace tavero {

Q_LOGGING_CATEGORY(lcSoundOutput, "tavero.sound.output")

static_assert(SoundOutput::fastestRate == PA_RATE_MAX);

void SoundOutput::StreamFree::operator()(pa_stream* stream) const noexcept {
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

SoundOutput::SoundOutput(int rate, int channels, std::function<void()> wake)
    : rate_(rate), channels_(channels), wake_(std::move(wake)) {
    try {
        connection_ = std::make_unique<PulseConnection>(PulseConnection::InBackground{
            [this](pa_context* context) { connectionChanged(context); }, "tavero-speaker"});
    } catch (const ShotError&) {
        lost_ = true;
    }
}

SoundOutput::~SoundOutput() {
    if (!connection_) return;
    {
        PulseConnection::Locked locked(*connection_);
        stream_.reset();
    }
    connection_.reset();
}

// On the connection's thread, its lock held; the connection may not be
// handed back to the constructor yet.
void SoundOutput::connectionChanged(pa_context* context) {
    context_ = context;
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY && !stream_) openStream(context);
    // A server that never answered is no news; one that went away is.
    if (!PA_CONTEXT_IS_GOOD(state) && stream_ && !lost_)
        qCInfo(lcSoundOutput) << "sound server gone:" << pa_strerror(pa_context_errno(context));
    if (!PA_CONTEXT_IS_GOOD(state)) lost_ = true;
    wake_();
}

void SoundOutput::openStream(pa_context* context) {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, uint32_t(rate_), uint8_t(channels_)};
    pa_stream* stream = pa_stream_new(context, "视频播放", &spec, nullptr);
    if (!stream) {
        lost_ = true;
        return;
    }
    stream_.reset(stream);
    const auto changed = [](pa_stream* changed, void* self) {
        static_cast<SoundOutput*>(self)->streamChanged(changed);
    };
    const auto wantsMore = [](pa_stream*, size_t, void* self) { static_cast<SoundOutput*>(self)->wake_(); };
    pa_stream_set_state_callback(stream, changed, this);
    pa_stream_set_write_callback(stream, wantsMore, this);
    // The server's own buffer sizes (2 s by default; the library's, given
    // none, are 250 ms): an output that mixes ahead in long blocks (a null
    // sink's are 2 s) finds the stream's sound there instead of running dry
    // for a block. Corked until ready, when it takes the state asked for
    // meanwhile.
    pa_buffer_attr serverDefaults;
    std::memset(&serverDefaults, 0xff, sizeof serverDefaults);
    const auto flags =
        pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_START_CORKED);
    written_ = 0;
    if (pa_stream_connect_playback(stream, nullptr, &serverDefaults, flags, nullptr, nullptr) < 0) lost_ = true;
}

// Ready, or refused by the server, or gone with it.
void SoundOutput::streamChanged(pa_stream* stream) {
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) cork();
    if (!PA_STREAM_IS_GOOD(state)) lost_ = true;
    wake_();
}

void SoundOutput::cork() {
    if (pa_operation* corking = pa_stream_cork(stream_.get(), paused_ ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(corking);
}

bool SoundOutput::streamReady() const {
    return !lost_ && stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_READY;
}

bool SoundOutput::ready() {
    if (lost_) return false;
    PulseConnection::Locked locked(*connection_);
    return streamReady();
}

int SoundOutput::room() {
    if (lost_) return 0;
    PulseConnection::Locked locked(*connection_);
    if (!streamReady()) return 0;
    const size_t bytes = pa_stream_writable_size(stream_.get());
    if (bytes == size_t(-1)) return 0;
    return int(bytes / (sizeof(float) * size_t(channels_)));
}

void SoundOutput::write(const float* samples, int frames) {
    if (lost_ || frames <= 0) return;
    PulseConnection::Locked locked(*connection_);
    if (!streamReady()) return;
    const size_t bytes = size_t(frames) * size_t(channels_) * sizeof(float);
    if (pa_stream_write(stream_.get(), samples, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) lost_ = true;
    written_ += frames;
}

void SoundOutput::finish() {
    if (lost_) return;
    PulseConnection::Locked locked(*connection_);
    if (!streamReady()) return;
    if (pa_operation* starting = pa_stream_trigger(stream_.get(), nullptr, nullptr)) pa_operation_unref(starting);
}

void SoundOutput::restart() {
    if (lost_) return;
    PulseConnection::Locked locked(*connection_);
    // A stream the server is still making took nothing yet, so it is as
    // good as a new one; and it cannot be disconnected before it is ready:
    // let go then, it would stay on the server, corked, until we leave.
    if (stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_CREATING) return;
    stream_.reset();
    if (context_ && pa_context_get_state(context_) == PA_CONTEXT_READY) openStream(context_);
}

void SoundOutput::setPaused(bool paused) {
    if (lost_) return;
    PulseConnection::Locked locked(*connection_);
    if (paused == paused_) return;
    paused_ = paused;
    if (streamReady()) cork();
}

std::optional<double> SoundOutput::heard() {
    if (lost_) return std::nullopt;
    PulseConnection::Locked locked(*connection_);
    if (!streamReady()) return std::nullopt;
    // The library's time runs on from its last timing update whether or not
    // the stream has anything to play.
    pa_usec_t played = 0;
    if (pa_stream_get_time(stream_.get(), &played) < 0) return std::nullopt;
    return std::min(double(played) / 1e6, double(written_) / rate_);
}

}  // namespace tavero
