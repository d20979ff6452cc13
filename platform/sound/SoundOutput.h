#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct pa_context;
struct pa_stream;

namespace tavero {

class PulseConnection;

// Sound played on the computer's default output through a PulseAudio stream
// and connection of its own. Nothing waits for the server: it connects in
// the background, and until the stream is ready it takes nothing. The
// stream holds as much as the server likes to buffer (2 s by default), so
// a writer busy elsewhere for a while is not heard, and it starts playing
// once that much was written (or finish() says no more comes). A server that
// goes away, refuses the stream or never was there makes it lost for good;
// a new output finds a server that came back. Interleaved floats at the rate
// and channels it was made for. Any thread but the connection's; `wake`
// runs on that thread whenever the stream wants more sound or the output's
// state changes, and must return at once.
class SoundOutput {
public:
    // The fastest rate a stream takes (PulseAudio's PA_RATE_MAX); a faster
    // one is refused, and nothing is heard.
    static constexpr int fastestRate = 384000;

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
    // Nothing more is written: what is there plays, however little.
    void finish();
    // A new stream: what waits to be played is dropped, and heard() counts
    // from 0 again.
    void restart();
    // A paused stream keeps what it was given and plays on from there.
    void setPaused(bool paused);
    // Seconds of the stream's sound played so far, as the listener hears
    // them (the output's own delay counted), at most what was written; none
    // until the stream is ready.
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
    // Frames written into the current stream.
    int64_t written_ = 0;
    pa_context* context_ = nullptr;
    std::unique_ptr<pa_stream, StreamFree> stream_;
    std::unique_ptr<PulseConnection> connection_;
};

}  // namespace tavero
