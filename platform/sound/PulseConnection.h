#pragma once

#include "platform/sound/SoundSources.h"

#include <QByteArray>

#include <pulse/pulseaudio.h>

#include <functional>
#include <memory>
#include <utility>

namespace tavero {

// What the server says about an input: its name, format, description and
// whether it is the monitor of an output.
struct PulseDevice {
    QByteArray name;
    QString description;
    pa_sample_spec spec{};
    bool monitor = false;
};

// A connection to the sound server on a threaded main loop of its own, whose
// thread runs every callback. Everything that touches the context, and every
// query below, holds the loop's lock (Locked).
class PulseConnection {
public:
    struct Locked {
        explicit Locked(PulseConnection& connection) : loop(connection.loop_.get()) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;
        pa_threaded_mainloop* loop;
    };

    // Connects without starting a server of its own; `lost` runs on the
    // loop's thread when the server goes away later. Throws ShotError
    // "无法连接声音服务，请确认系统声音可用后重试。" when no server answers.
    // Until settled(), every wait gives up a few seconds after the
    // connection began: a server that hangs costs no more.
    explicit PulseConnection(std::function<void()> lost = {});
    // Starts connecting and returns at once, for a user that must never wait
    // for the server: `changed` runs on the loop's thread (named
    // `threadName`) each time the connection's state changes
    // (pa_context_get_state: ready, failed, or lost later). Throws the
    // no-server ShotError only when the connection cannot even begin.
    struct InBackground {
        std::function<void(pa_context*)> changed;
        const char* threadName;
    };
    explicit PulseConnection(InBackground background);
    // Disconnects, then ends the loop's thread: no callback runs afterwards.
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_context* context() const { return context_.get(); }
    pa_threaded_mainloop* loop() const { return loop_.get(); }

    // The setting up is over: later waits no longer give up.
    void settled();

    // Queries; the lock held. Each throws the no-server ShotError when the
    // server does not answer in time.
    // The default output and input.
    std::pair<QByteArray, QByteArray> defaults();
    // The monitor of output `sink`: what the computer plays.
    std::optional<PulseDevice> monitorOf(const QByteArray& sink);
    // Every input, the outputs' monitors included.
    QList<PulseDevice> sources();
    // The input a take records as its microphone (chooseMicrophone); none
    // when there is none.
    std::optional<PulseDevice> microphone();

    // Waits, the lock held, for `operation` to complete.
    void await(pa_operation* operation);
    // Waits, the lock held, for the loop's next signal; throws the no-server
    // ShotError once the answers are overdue.
    void wait();

private:
    struct LoopFree {
        void operator()(pa_threaded_mainloop* loop) const noexcept;
    };
    struct ContextFree {
        void operator()(pa_context* context) const noexcept;
    };

    void begin(const char* threadName);
    void waitUntilReady();
    void close();

    static void stateChanged(pa_context* context, void* self);
    static void deadlinePassed(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);

    std::function<void()> lost_;
    std::function<void(pa_context*)> changed_;
    std::unique_ptr<pa_threaded_mainloop, LoopFree> loop_;
    std::unique_ptr<pa_context, ContextFree> context_;
    pa_time_event* deadline_ = nullptr;
    bool overdue_ = false;
    bool ready_ = false;
};

}  // namespace tavero
