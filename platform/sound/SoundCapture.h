#pragma once

#include "platform/Scheduler.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace tavero {

// The sounds a recording can take: what the computer plays (the default
// output's monitor) and the microphone (the default input, or, where that
// only repeats an output, the first input that does not: chooseMicrophone).
enum class SoundInput { system, microphone };

// One buffer of one input, as it arrived. Valid only during the call that
// hands it over.
struct SoundChunk {
    SoundInput input = SoundInput::system;
    // Interleaved, `channels` per frame, nominally within -1 … 1.
    const float* samples = nullptr;
    int frames = 0;
    int channels = 0;
    int rate = 0;
    // When its first sample was captured, on the clock every picture is
    // stamped on: its arrival minus the latency the sound server reports,
    // kept in line with the input's previous chunks (SoundStamps), so one
    // input's stamps rise; never so that the chunk would end after it
    // arrived (they step back rather than stay late).
    MonotonicTime captured;
};

// Sound being captured from the sound server. Chunks and the one failure
// report arrive on the capture's own thread; handlers must return quickly.
// Destroying the capture stops it: once the destructor has returned, no
// handler runs any more.
class SoundCapture {
public:
    using ChunkHandler = std::function<void(const SoundChunk&)>;
    // The server or an input went away; `description` says so in a few
    // Chinese words, for the interruption sentence. A microphone that the
    // server moved to a monitor of an output is gone too ("麦克风已断开"),
    // and nothing more of it is delivered. At most once.
    using FailureHandler = std::function<void(const QString& description)>;

    virtual ~SoundCapture() = default;
};

// Opens `inputs` on the sound server and starts capturing them. Throws
// ShotError "无法连接声音服务，请确认系统声音可用后重试。" when no server
// answers (none is started for us) and "没有找到麦克风。" when the
// microphone is asked for and every input only repeats an output; nothing
// runs then.
std::unique_ptr<SoundCapture> openSoundCapture(const QList<SoundInput>& inputs, SoundCapture::ChunkHandler chunk,
                                               SoundCapture::FailureHandler failed);

}  // namespace tavero
