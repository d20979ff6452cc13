#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

struct pa_context;
struct pa_stream;

namespace tavero {

class PulseConnection;

// Sound played on the computer's default output through a PulseAudio stream
// and connection of its own. Nothing waits for the server: it connects in
// the background, and until the stream is ready it takes nothing. A server
// that goes away, refuses the stream or never was there makes it lost for
// good; a new output finds a server that came back. Interleaved floats at
// the rate and channels it was made for. Any thread; `wake` runs on the
// connection's thread whenever the stream wants more sound or the output's
// state changes, and must return at once.
class SoundOutput {
public:
    SoundOutput(int rate, int channels, std::function<void()> wake);
    // The sound stops at once; `wake` never runs afterwards.
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // The stream takes sound.
    bool ready();
    bool lost() const { return lost_; }
    // Frames write() takes now; 0 unless ready.
    int room();
    // Plays `frames` frames after those written before.
    void write(const float* samples, int frames);
    // A new stream: what waits to be played is dropped, and heard() counts
    // from 0 again.
    void restart();
    // A paused stream keeps what it was given and plays on from there.
    void setPaused(bool paused);
    // Seconds of the stream's sound played so far, as the listener hears
    // them (the output's own delay counted); none until the stream is ready.
    std::optional<double> heard();

private:
    struct StreamFree {
        void operator()(pa_stream* stream) const noexcept;
    };

    void connectionChanged(pa_context* context);
    void openStream(pa_context* context);
    void streamChanged(pa_stream* stream);
    // The lock held.
    bool streamReady() const;
    void cork();

    const int rate_;
    const int channels_;
    const std::function<void()> wake_;
    std::atomic<bool> lost_{false};
    bool paused_ = false;
    pa_context* context_ = nullptr;
    std::unique_ptr<pa_stream, StreamFree> stream_;
    std::unique_ptr<PulseConnection> connection_;
};

}  // namespace tavero
