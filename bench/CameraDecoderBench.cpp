// A webcam's full HD MJPEG turned into RGB32 pictures by the camera's own
// decoder, beside FFmpeg's command line decoding the same stream into BGRA.
// A camera at 30 pictures a second needs each in well under 33 ms on the one
// thread that reads the camera. Wall-clock time per picture is what counts;
// CPU time stands beside it.
#include "bench/ProcessMeasures.h"
#include "platform/camera/CameraDecoder.h"
#include "platform/media/MediaError.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <vector>

using namespace tavero;
using namespace tavero::media;
using bench::cpuSeconds;
using bench::runFfmpeg;

namespace {

constexpr int pictures = 90;

// Three seconds of a moving 1080p picture, coded as a webcam codes it.
struct Stream {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("camera.mjpeg"));
    bool made = runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("testsrc2=size=1920x1080:rate=30"), QStringLiteral("-frames:v"),
                           QString::number(pictures), QStringLiteral("-pix_fmt"), QStringLiteral("yuvj422p"),
                           QStringLiteral("-q:v"), QStringLiteral("4"), QStringLiteral("-f"), QStringLiteral("mjpeg"),
                           path});
};

Stream& stream() {
    static Stream made;
    return made;
}

// The stream as the library reads such a file by its content: the
// program's InputFile opens nothing but MP4, QuickTime, Matroska and MPEG-TS videos.
InputContext openStream() {
    AVFormatContext* context = nullptr;
    check(avformat_open_input(&context, QFile::encodeName(stream().path).constData(), nullptr, nullptr),
          "avformat_open_input");
    InputContext input(context);
    check(avformat_find_stream_info(context, nullptr), "avformat_find_stream_info");
    return input;
}

// The stream's packets, read once, as the camera hands them over.
std::vector<Packet> packets(const InputContext& input) {
    std::vector<Packet> read;
    for (Packet packet = makePacket(); av_read_frame(input.get(), packet.get()) >= 0; packet = makePacket())
        read.push_back(std::move(packet));
    return read;
}

void ours(benchmark::State& state) {
    if (!stream().made) return state.SkipWithError("the stream could not be made");
    const InputContext input = openStream();
    const std::vector<Packet> coded = packets(input);
    CameraDecoder decoder(firstVideoStream(input.get()));
    double cpu = 0;
    int64_t decoded = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_SELF);
        for (const Packet& packet : coded)
            decoder.decode(packet.get(), [&](const QImage& picture) {
                benchmark::DoNotOptimize(picture.constBits());
                ++decoded;
            });
        cpu += cpuSeconds(RUSAGE_SELF) - before;
    }
    state.counters["pictures"] = benchmark::Counter(double(decoded), benchmark::Counter::kIsRate);
    state.counters["cpu_ms_per_picture"] = 1000 * cpu / double(decoded);
}

void commandLine(benchmark::State& state) {
    if (!stream().made) return state.SkipWithError("the stream could not be made");
    double cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_CHILDREN);
        if (!runFfmpeg({QStringLiteral("-threads"), QStringLiteral("1"), QStringLiteral("-i"), stream().path,
                        QStringLiteral("-pix_fmt"), QStringLiteral("bgra"), QStringLiteral("-f"),
                        QStringLiteral("null"), QStringLiteral("-")}))
            state.SkipWithError("ffmpeg failed");
        cpu += cpuSeconds(RUSAGE_CHILDREN) - before;
    }
    state.counters["pictures"] = benchmark::Counter(double(pictures * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cpu_ms_per_picture"] = 1000 * cpu / double(pictures * state.iterations());
}

}  // namespace

BENCHMARK(ours)
    ->Name("camera_decoder/mjpeg_1080p_to_rgb32")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(commandLine)
    ->Name("camera_decoder/ffmpeg_mjpeg_1080p_to_bgra")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
