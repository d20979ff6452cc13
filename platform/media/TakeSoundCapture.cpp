#include "platform/media/TakeSoundCapture.h"

#include "platform/ShotError.h"

#include <QLoggingCategory>

#include <algorithm>
#include <mutex>

namespace tavero::media {

namespace {

Q_LOGGING_CATEGORY(lcTakeSound, "tavero.sound.take")

bool sameInputs(QList<SoundInput> a, QList<SoundInput> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

}  // namespace

struct TakeSoundCapture::Shared {
    SoundRecorder::Open open;
    QList<SoundInput> inputs;

    std::mutex lock;
    // The attached part's handlers, called with the lock held so that a
    // part that has let go hears nothing more.
    SoundCapture::ChunkHandler chunk;
    SoundCapture::FailureHandler failed;
    bool attached = false;
    bool broken = false;
    bool closing = false;
    std::unique_ptr<SoundCapture> capture;

    void received(const SoundChunk& sound) {
        std::lock_guard guard(lock);
        if (chunk) chunk(sound);
    }

    void lost(const QString& description) {
        std::lock_guard guard(lock);
        broken = true;
        if (failed) std::exchange(failed, {})(description);
    }

    // Lets the part go, and the capture too once the take is over (`ending`).
    // The capture is stopped outside the lock, which its thread may be
    // waiting for.
    void release(bool ending) {
        std::unique_ptr<SoundCapture> stopped;
        std::lock_guard guard(lock);
        if (ending) {
            closing = true;
        } else {
            chunk = {};
            failed = {};
            attached = false;
        }
        if (closing && !attached) stopped = std::move(capture);
    }
};

namespace {

class Attachment final : public SoundCapture {
public:
    explicit Attachment(std::function<void()> detach) : detach_(std::move(detach)) {}
    ~Attachment() override { detach_(); }

private:
    std::function<void()> detach_;
};

}  // namespace

TakeSoundCapture::TakeSoundCapture(QList<SoundInput> inputs, const SoundRecorder::Open& open)
    : shared_(std::make_shared<Shared>()) {
    Shared& shared = *shared_;
    shared.open = open;
    shared.inputs = std::move(inputs);
    if (shared.inputs.isEmpty()) return;
    try {
        shared.capture = open(
            shared.inputs, [&shared](const SoundChunk& sound) { shared.received(sound); },
            [&shared](const QString& description) { shared.lost(description); });
    } catch (const ShotError& error) {
        qCInfo(lcTakeSound) << "the take's sound did not open; parts open their own:" << error.message();
    }
}

TakeSoundCapture::~TakeSoundCapture() { shared_->release(true); }

SoundRecorder::Open TakeSoundCapture::opener() const {
    return [shared = shared_](const QList<SoundInput>& inputs, SoundCapture::ChunkHandler chunk,
                              SoundCapture::FailureHandler failed) -> std::unique_ptr<SoundCapture> {
        {
            std::lock_guard guard(shared->lock);
            if (shared->capture && !shared->broken && !shared->attached && sameInputs(inputs, shared->inputs)) {
                shared->chunk = std::move(chunk);
                shared->failed = std::move(failed);
                shared->attached = true;
                return std::make_unique<Attachment>([shared] { shared->release(false); });
            }
        }
        return shared->open(inputs, std::move(chunk), std::move(failed));
    };
}

}  // namespace tavero::media
