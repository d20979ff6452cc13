#include "platform/media/SoundRecorder.h"

#include "platform/media/SoundTimeline.h"
#include "platform/threads/ThreadName.h"

#include <QLoggingCategory>

#include <algorithm>

#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace tavero::media {

Q_LOGGING_CATEGORY(lcSoundRecorder, "tavero.sound")

namespace {

using namespace std::chrono_literals;

// One AAC frame's worth per step.
constexpr int blockFrames = 1024;
// Sound arrives a little after it was captured; an input that is further
// behind the clock than it usually is (and at least this) is taken as
// silent for the time it missed.
constexpr Seconds patience{0.25};
// Sound servers start a stream with a long buffer, and some sources hand
// their sound over in blocks of seconds: an input's sound can come seconds
// after it was captured. Its first sound is waited for this long from time
// zero, and an input whose sound came late is waited for as long (and a
// little more) from then on, up to this long.
constexpr Seconds longestWait{3.0};
constexpr Seconds lagMargin{0.05};
// Sound kept while the part's time zero is not known yet.
constexpr Seconds keptBeforeOrigin{2.0};
// Sound of each input waiting for the sound thread at most (more than a
// server hands over at once when a stream starts); beyond it its oldest is
// dropped, so a stalled thread never makes a take's memory grow.
constexpr Seconds queueLimit{4.0};
constexpr auto tick = 20ms;
constexpr float mixWeight = 0.8f;
// Below this a mixed sample passes unchanged.
constexpr float limiterKnee = 0.6f;

QString writeFailed() { return QStringLiteral("无法写入录音"); }

struct Chunk {
    SoundInput input;
    std::vector<float> samples;
    int channels = 0;
    int rate = 0;
    MonotonicTime captured;
    MonotonicTime arrived;

    Seconds length() const { return Seconds(double(samples.size()) / channels / rate); }
};

// How long the sound thread waits for an input that is behind the clock.
class Lateness {
public:
    void observe(const Chunk& chunk) {
        const Seconds lag = chunk.arrived - chunk.captured;
        longest_ = std::max(longest_.value_or(patience), std::min(lag + lagMargin, longestWait));
    }

    // `clock` is the time since time zero.
    Seconds wait(Seconds clock) const {
        if (!longest_) return clock < longestWait ? clock : patience;
        return *longest_;
    }

    // How long after the part's end its last sound may still come.
    Seconds waitAtEnd() const { return longest_.value_or(patience); }

private:
    // The longest an input's sound came after it was captured; none before
    // its first sound.
    std::optional<Seconds> longest_;
};

// The chunks of one input waiting for the sound thread.
struct Waiting {
    std::deque<Chunk> chunks;
    Seconds length{0};

    Seconds forgetOldest() {
        const Seconds forgotten = chunks.front().length();
        length -= forgotten;
        chunks.pop_front();
        return forgotten;
    }
};

qint64 position(Seconds time) { return std::llround(time.count() * SoundTimeline::rate); }

}  // namespace

float softLimit(float sample) {
    const float magnitude = std::fabs(sample);
    if (magnitude <= limiterKnee) return sample;
    const float bent = limiterKnee + (1 - limiterKnee) * std::tanh((magnitude - limiterKnee) / (1 - limiterKnee));
    return std::copysign(bent, sample);
}

struct SoundRecorder::State {
    Tracks tracks;
    Write write;
    SoundCapture::FailureHandler failed;
    std::unique_ptr<SoundCapture> capture;

    std::mutex lock;
    std::condition_variable wake;
    std::map<SoundInput, Waiting> waiting;
    Seconds dropped{0};
    std::optional<MonotonicTime> origin;
    std::optional<qint64> finishAt;
    MonotonicTime finishAsked;
    bool quit = false;
    bool reported = false;
    std::thread thread;

    // The sound thread's own.
    std::map<SoundInput, SoundTimeline> timelines;
    std::map<SoundInput, Lateness> lateness;
    // How far each input's sound has come, by its stamps (a timeline holds
    // back a few samples in its resampler).
    std::map<SoundInput, qint64> captured;
    std::vector<qint64> written;
    bool broken = false;

    // On the capture's thread, which must never wait for ours.
    void received(const SoundChunk& chunk) {
        if (chunk.frames <= 0 || chunk.channels <= 0 || chunk.rate <= 0) return;
        Chunk copy{chunk.input,
                   std::vector<float>(chunk.samples, chunk.samples + size_t(chunk.frames) * size_t(chunk.channels)),
                   chunk.channels, chunk.rate, chunk.captured, std::chrono::steady_clock::now()};
        {
            std::lock_guard guard(lock);
            Waiting& queue = waiting[chunk.input];
            queue.length += copy.length();
            queue.chunks.push_back(std::move(copy));
            if (!origin) forgetOld(queue);
            dropOverflow(queue);
        }
        wake.notify_one();
    }

    static void forgetOld(Waiting& queue) {
        const MonotonicTime oldest =
            std::chrono::steady_clock::now() - std::chrono::duration_cast<std::chrono::steady_clock::duration>(keptBeforeOrigin);
        while (!queue.chunks.empty() && queue.chunks.front().captured < oldest) queue.forgetOldest();
    }

    void dropOverflow(Waiting& queue) {
        if (queue.length <= queueLimit) return;
        if (dropped == Seconds(0)) qCWarning(lcSoundRecorder) << "the sound thread fell behind; dropping sound";
        while (queue.length > queueLimit && queue.chunks.size() > 1) dropped += queue.forgetOldest();
    }

    bool soundWaiting() const {
        return std::any_of(waiting.begin(), waiting.end(),
                           [](const auto& entry) { return !entry.second.chunks.empty(); });
    }

    void report(const QString& description) {
        {
            std::lock_guard guard(lock);
            if (reported) return;
            reported = true;
        }
        failed(description);
    }

    void run() {
        nameThisThread("tavero-sound");
        std::unique_lock guard(lock);
        // Finishing, and waiting for the last sound to come.
        bool lastAwaited = false;
        for (;;) {
            wake.wait_for(guard, tick,
                          [&] { return quit || (finishAt && !lastAwaited) || (origin && soundWaiting()); });
            if (quit) return;
            if (!origin) {
                if (finishAt) return;
                for (auto& [input, queue] : waiting) forgetOld(queue);
                continue;
            }
            std::map<SoundInput, Waiting> arrived;
            arrived.swap(waiting);
            const MonotonicTime zero = *origin;
            const std::optional<qint64> end = finishAt;
            const MonotonicTime asked = finishAsked;
            guard.unlock();
            place(arrived, zero);
            const bool ending = end && soundCameTo(*end, asked);
            produce(zero, end, ending);
            guard.lock();
            if (ending) return;
            lastAwaited = end.has_value();
        }
    }

    // Whether every input's sound has reached `end`, or it has been waited
    // for since `asked` as long as its sound has been late: sound captured
    // just before the end comes that much later.
    bool soundCameTo(qint64 end, MonotonicTime asked) {
        const Seconds waited = std::chrono::steady_clock::now() - asked;
        for (const QList<SoundInput>& track : tracks)
            for (SoundInput input : track)
                if (!broken && captured[input] < end && waited < lateness[input].waitAtEnd()) return false;
        return true;
    }

    void place(const std::map<SoundInput, Waiting>& arrived, MonotonicTime zero) {
        for (const auto& [input, queue] : arrived)
            for (const Chunk& chunk : queue.chunks) {
                if (broken) return;
                lateness[input].observe(chunk);
                captured[input] = std::max(captured[input], position(chunk.captured - zero + chunk.length()));
                try {
                    timelines[input].add(chunk.samples.data(), int(chunk.samples.size()) / chunk.channels,
                                         chunk.channels, chunk.rate, Seconds(chunk.captured - zero).count());
                } catch (const std::exception& error) {
                    fail(error);
                }
            }
    }

    // Writes each track as far as all its inputs have sound, and at least as
    // far as the clock less the longest wait for its inputs, with silence for
    // an input that has none by then; never beyond `end`. When `ending`
    // (everything has arrived that was waited for), exactly up to `end`.
    void produce(MonotonicTime zero, std::optional<qint64> end, bool ending) {
        const qint64 limit = end.value_or(std::numeric_limits<qint64>::max());
        const MonotonicTime now = std::chrono::steady_clock::now();
        std::vector<float> mixed(size_t(blockFrames) * SoundTimeline::channels);
        std::vector<float> part(mixed.size());
        for (int track = 0; track < tracks.size() && !broken; ++track) {
            const QList<SoundInput>& inputs = tracks[track];
            const Seconds clock = now - zero;
            const qint64 late = ending ? limit : position(clock - waitFor(inputs, clock));
            for (;;) {
                const qint64 from = written[size_t(track)];
                const qint64 until = ending ? late : std::min(std::max(late, soundUntil(inputs)), limit);
                const int frames = int(std::min<qint64>(blockFrames, until - from));
                if (frames <= 0 || (!ending && frames < blockFrames)) break;
                mix(inputs, from, frames, mixed, part);
                try {
                    write(track, mixed.data(), frames);
                } catch (const std::exception& error) {
                    return fail(error);
                }
                written[size_t(track)] = from + frames;
            }
        }
    }

    Seconds waitFor(const QList<SoundInput>& inputs, Seconds clock) {
        Seconds longest{0};
        for (SoundInput input : inputs) longest = std::max(longest, lateness[input].wait(clock));
        return longest;
    }

    // How far every input of a track has sound.
    qint64 soundUntil(const QList<SoundInput>& inputs) {
        qint64 until = std::numeric_limits<qint64>::max();
        for (SoundInput input : inputs) until = std::min(until, timelines[input].end());
        return until;
    }

    void mix(const QList<SoundInput>& inputs, qint64 from, int frames, std::vector<float>& mixed,
             std::vector<float>& part) {
        const size_t count = size_t(frames) * SoundTimeline::channels;
        if (inputs.size() == 1) {
            timelines[inputs.front()].read(from, frames, mixed.data());
            return;
        }
        std::fill(mixed.begin(), mixed.begin() + long(count), 0.0f);
        for (SoundInput input : inputs) {
            timelines[input].read(from, frames, part.data());
            for (size_t i = 0; i < count; ++i) mixed[i] += mixWeight * part[i];
        }
        for (size_t i = 0; i < count; ++i) mixed[i] = softLimit(mixed[i]);
    }

    void fail(const std::exception& error) {
        qCWarning(lcSoundRecorder) << "sound not written:" << error.what();
        broken = true;
        report(writeFailed());
    }
};

SoundRecorder::SoundRecorder(Tracks tracks, Write write, SoundCapture::FailureHandler failed, const Open& open)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.tracks = std::move(tracks);
    s.write = std::move(write);
    s.failed = std::move(failed);
    s.written.assign(size_t(s.tracks.size()), 0);
    QList<SoundInput> inputs;
    for (const QList<SoundInput>& track : s.tracks)
        for (SoundInput input : track)
            if (!inputs.contains(input)) inputs.append(input);
    s.capture = open(
        inputs, [&s](const SoundChunk& chunk) { s.received(chunk); },
        [&s](const QString& description) { s.report(description); });
    s.thread = std::thread([&s] { s.run(); });
}

SoundRecorder::~SoundRecorder() {
    State& s = *state_;
    s.capture.reset();
    {
        std::lock_guard guard(s.lock);
        s.quit = true;
    }
    s.wake.notify_all();
    if (s.thread.joinable()) s.thread.join();
}

void SoundRecorder::setOrigin(MonotonicTime origin) {
    {
        std::lock_guard guard(state_->lock);
        if (state_->origin) return;
        state_->origin = origin;
    }
    state_->wake.notify_all();
}

double SoundRecorder::droppedSeconds() const {
    std::lock_guard guard(state_->lock);
    return state_->dropped.count();
}

void SoundRecorder::finish(double seconds) {
    State& s = *state_;
    {
        std::lock_guard guard(s.lock);
        s.finishAt = position(Seconds(std::max(seconds, 0.0)));
        s.finishAsked = std::chrono::steady_clock::now();
    }
    s.wake.notify_all();
    if (s.thread.joinable()) s.thread.join();
    s.capture.reset();
}

}  // namespace tavero::media
