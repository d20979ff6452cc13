#include "platform/sound/PulseConnection.h"

#include "platform/ShotError.h"

#include <pulse/rtclock.h>

namespace tavero {

namespace {

QString noServer() { return QStringLiteral("无法连接声音服务，请确认系统声音可用后重试。"); }

// A local server answers within milliseconds, also when every core is busy.
constexpr pa_usec_t answerLimit = 5 * PA_USEC_PER_SEC;

// What an introspection call hands back, and the loop to wake with it.
template <typename T>
struct Query {
    pa_threaded_mainloop* loop = nullptr;
    T result{};
};

// People know an input by its description; the name stands in for a missing one.
PulseDevice deviceOf(const pa_source_info& info) {
    const QString description = QString::fromUtf8(info.description);
    return {info.name, description.isEmpty() ? QString::fromUtf8(info.name) : description, info.sample_spec,
            info.monitor_of_sink != PA_INVALID_INDEX};
}

void serverFound(pa_context*, const pa_server_info* info, void* data) {
    auto* query = static_cast<Query<std::pair<QByteArray, QByteArray>>*>(data);
    if (info && info->default_sink_name) query->result.first = info->default_sink_name;
    if (info && info->default_source_name) query->result.second = info->default_source_name;
    pa_threaded_mainloop_signal(query->loop, 0);
}

void sinkFound(pa_context*, const pa_sink_info* info, int, void* data) {
    auto* query = static_cast<Query<std::optional<PulseDevice>>*>(data);
    if (info && info->monitor_source_name)
        query->result = PulseDevice{info->monitor_source_name, QString::fromUtf8(info->description), info->sample_spec, true};
    pa_threaded_mainloop_signal(query->loop, 0);
}

void sourceListed(pa_context*, const pa_source_info* info, int, void* data) {
    auto* query = static_cast<Query<QList<PulseDevice>>*>(data);
    if (info) query->result.append(deviceOf(*info));
    pa_threaded_mainloop_signal(query->loop, 0);
}

}  // namespace

void PulseConnection::LoopFree::operator()(pa_threaded_mainloop* loop) const noexcept {
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void PulseConnection::ContextFree::operator()(pa_context* context) const noexcept {
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

PulseConnection::PulseConnection(std::function<void()> lost) : lost_(std::move(lost)) {
    try {
        begin("tavero-pulse");
        waitUntilReady();
    } catch (...) {
        close();
        throw;
    }
}

PulseConnection::PulseConnection(InBackground background) : changed_(std::move(background.changed)) {
    try {
        begin(background.threadName);
    } catch (...) {
        close();
        throw;
    }
}

PulseConnection::~PulseConnection() { close(); }

void PulseConnection::close() {
    if (!loop_) return;
    {
        Locked locked(*this);
        settled();
        context_.reset();
    }
    loop_.reset();
}

void PulseConnection::begin(const char* threadName) {
    loop_.reset(pa_threaded_mainloop_new());
    if (!loop_) throw ShotError(noServer());
    pa_threaded_mainloop_set_name(loop_.get(), threadName);
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(loop_.get()), "Tavero"));
    if (!context_) throw ShotError(noServer());
    pa_context_set_state_callback(context_.get(), &PulseConnection::stateChanged, this);
    if (!changed_)
        deadline_ =
            pa_context_rttime_new(context_.get(), pa_rtclock_now() + answerLimit, &PulseConnection::deadlinePassed, this);
    // Never start a server of our own: no answer means no sound.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop_.get()) < 0)
        throw ShotError(noServer());
}

void PulseConnection::waitUntilReady() {
    Locked locked(*this);
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context_.get());
        if (state == PA_CONTEXT_READY) return;
        if (!PA_CONTEXT_IS_GOOD(state)) throw ShotError(noServer());
        wait();
    }
}

void PulseConnection::settled() {
    if (deadline_) pa_threaded_mainloop_get_api(loop_.get())->time_free(deadline_);
    deadline_ = nullptr;
    overdue_ = false;
}

void PulseConnection::wait() {
    if (!overdue_) pa_threaded_mainloop_wait(loop_.get());
    if (overdue_) throw ShotError(noServer());
}

void PulseConnection::await(pa_operation* operation) {
    if (!operation) throw ShotError(noServer());
    try {
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) wait();
    } catch (...) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
        throw;
    }
    pa_operation_unref(operation);
}

std::pair<QByteArray, QByteArray> PulseConnection::defaults() {
    Query<std::pair<QByteArray, QByteArray>> query{loop_.get()};
    await(pa_context_get_server_info(context_.get(), &serverFound, &query));
    return query.result;
}

std::optional<PulseDevice> PulseConnection::monitorOf(const QByteArray& sink) {
    Query<std::optional<PulseDevice>> query{loop_.get()};
    if (!sink.isEmpty()) await(pa_context_get_sink_info_by_name(context_.get(), sink.constData(), &sinkFound, &query));
    return query.result;
}

QList<PulseDevice> PulseConnection::sources() {
    Query<QList<PulseDevice>> query{loop_.get()};
    await(pa_context_get_source_info_list(context_.get(), &sourceListed, &query));
    return query.result;
}

std::optional<PulseDevice> PulseConnection::microphone() {
    const QByteArray preferred = defaults().second;
    const QList<PulseDevice> devices = sources();
    QList<SoundSource> inputs;
    for (const PulseDevice& device : devices) inputs.append({device.name, device.description, device.monitor});
    const std::optional<SoundSource> chosen = chooseMicrophone(preferred, inputs);
    if (!chosen) return std::nullopt;
    for (const PulseDevice& device : devices)
        if (device.name == chosen->name) return device;
    return std::nullopt;
}

void PulseConnection::stateChanged(pa_context* context, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) connection->ready_ = true;
    if (!PA_CONTEXT_IS_GOOD(state) && connection->ready_ && connection->lost_) connection->lost_();
    if (connection->changed_) connection->changed_(context);
    pa_threaded_mainloop_signal(connection->loop_.get(), 0);
}

void PulseConnection::deadlinePassed(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    connection->overdue_ = true;
    pa_threaded_mainloop_signal(connection->loop_.get(), 0);
}

}  // namespace tavero
