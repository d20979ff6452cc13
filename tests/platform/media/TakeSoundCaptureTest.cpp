#include "platform/ShotError.h"
#include "platform/media/TakeSoundCapture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tavero;
using namespace tavero::media;

namespace {

// The sound server as the take's capture sees it: every stream opened, with
// its handlers, and whether it is still running.
struct Server {
    struct Stream {
        QList<SoundInput> inputs;
        SoundCapture::ChunkHandler chunk;
        SoundCapture::FailureHandler failed;
        bool running = true;
    };
    std::vector<std::shared_ptr<Stream>> streams;
    bool refuses = false;

    SoundRecorder::Open opener() {
        return [this](const QList<SoundInput>& inputs, SoundCapture::ChunkHandler chunk,
                      SoundCapture::FailureHandler failed) -> std::unique_ptr<SoundCapture> {
            if (refuses) throw ShotError(QStringLiteral("无法连接声音服务，请确认系统声音可用后重试。"));
            auto stream = std::make_shared<Stream>(Stream{inputs, std::move(chunk), std::move(failed)});
            streams.push_back(stream);
            return std::make_unique<Running>(stream);
        };
    }

    void play(size_t stream) const {
        const float samples[2] = {0.5f, 0.5f};
        streams.at(stream)->chunk({SoundInput::system, samples, 1, 2, 48000, MonotonicTime{}});
    }

    struct Running final : SoundCapture {
        explicit Running(std::shared_ptr<Stream> stream) : stream(std::move(stream)) {}
        ~Running() override { stream->running = false; }
        std::shared_ptr<Stream> stream;
    };
};

// What one part's sound recorder hears.
struct Part {
    int chunks = 0;
    QStringList failures;
    std::unique_ptr<SoundCapture> capture;

    void open(const SoundRecorder::Open& open, QList<SoundInput> inputs = {SoundInput::system}) {
        capture = open(
            inputs, [this](const SoundChunk&) { ++chunks; },
            [this](const QString& description) { failures.append(description); });
    }
};

TEST(TakeSoundCaptureTest, PartsShareOneStreamOpenedBeforeTheFirstAndHearOnlyTheirOwnTime) {
    Server server;
    TakeSoundCapture take({SoundInput::system}, server.opener());
    ASSERT_EQ(server.streams.size(), 1u) << "open before any part begins";

    server.play(0);
    Part first;
    first.open(take.opener());
    server.play(0);
    first.capture.reset();
    server.play(0);
    Part second;
    second.open(take.opener());
    server.play(0);
    server.play(0);

    EXPECT_EQ(server.streams.size(), 1u);
    EXPECT_EQ(first.chunks, 1);
    EXPECT_EQ(second.chunks, 2);
    EXPECT_TRUE(server.streams[0]->running);
}

TEST(TakeSoundCaptureTest, APartItCannotServeOpensItsOwn) {
    Server server;
    TakeSoundCapture take({SoundInput::system}, server.opener());
    Part microphone;
    microphone.open(take.opener(), {SoundInput::system, SoundInput::microphone});
    EXPECT_EQ(server.streams.size(), 2u) << "other inputs";
    EXPECT_EQ(server.streams[1]->inputs.size(), 2);

    Part attached, overlapping;
    attached.open(take.opener());
    overlapping.open(take.opener());
    EXPECT_EQ(server.streams.size(), 3u) << "one part at a time";

    server.refuses = true;
    TakeSoundCapture unopened({SoundInput::system}, server.opener());
    Part refused;
    EXPECT_THROW(refused.open(unopened.opener()), ShotError) << "the part reports why, as before";
}

TEST(TakeSoundCaptureTest, AFailureReachesTheAttachedPartOnceAndTheNextPartOpensAnew) {
    Server server;
    TakeSoundCapture take({SoundInput::system}, server.opener());
    server.streams[0]->failed(QStringLiteral("声音服务已断开"));  // between parts: nobody hears it
    Part afterLoss;
    afterLoss.open(take.opener());
    EXPECT_EQ(server.streams.size(), 2u);

    Server other;
    TakeSoundCapture second({SoundInput::system}, other.opener());
    Part part;
    part.open(second.opener());
    other.streams[0]->failed(QStringLiteral("声音服务已断开"));
    other.streams[0]->failed(QStringLiteral("声音服务已断开"));
    EXPECT_EQ(part.failures, QStringList{QStringLiteral("声音服务已断开")});
}

TEST(TakeSoundCaptureTest, TheStreamStopsWhenTheTakeEndsButNotUnderAPartStillFinishing) {
    Server server;
    Part last;
    {
        TakeSoundCapture take({SoundInput::system}, server.opener());
        last.open(take.opener());
    }
    EXPECT_TRUE(server.streams[0]->running) << "the last part still writes its sound";
    server.play(0);
    EXPECT_EQ(last.chunks, 1);
    last.capture.reset();
    EXPECT_FALSE(server.streams[0]->running);

    { TakeSoundCapture idle({SoundInput::system}, server.opener()); }
    EXPECT_FALSE(server.streams[1]->running);
}

}  // namespace
