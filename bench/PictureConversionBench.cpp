// A decoded picture made ready for the player's window, 1280 × 720 (the
// video's shape kept), as the decoding thread does for every picture it
// shows: a 1080p H.264 picture (8-bit 4:2:0), a 4K one of 8 and of 10 bits
// (High 10, 4:2:0), a 1080p ProRes 422 picture (10-bit 4:2:2) and an 8K H.264
// picture (8-bit 4:2:0). Beside each, where there was one, the conversion the
// player used before it shrank every format first: 8-bit 4:2:0 scaled with
// libyuv's box filter on one thread and then converted, anything else
// converted whole and then scaled. Made larger: a 720p picture in a full HD
// window, a 1080p and a ProRes one on a 4K screen. Wall-clock time per
// picture counts (the decoding thread waits for it); the CPU time of the
// whole process (the scaling threads included) stands beside it.
#include "bench/ProcessMeasures.h"
#include "platform/media/MovieDecoder.h"
#include "platform/media/PictureConversion.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <libyuv/convert_argb.h>
#include <libyuv/scale.h>
#include <libyuv/scale_argb.h>

#include <sys/resource.h>

#include <functional>
#include <map>
#include <vector>

using namespace tavero;
using namespace tavero::media;
using bench::cpuSeconds;
using bench::runFfmpeg;

namespace {

const QSize window(1280, 720);
const QSize fullHdWindow(1920, 1080);
const QSize fourKWindow(3840, 2160);

struct Source {
    QString size;
    QStringList coding;
    QString suffix;
};

const std::map<std::string, Source> sources{
    {"720p_8bit", {QStringLiteral("1280x720"), {"-c:v", "libx264", "-pix_fmt", "yuv420p"}, QStringLiteral("mp4")}},
    {"1080p_8bit", {QStringLiteral("1920x1080"), {"-c:v", "libx264", "-pix_fmt", "yuv420p"}, QStringLiteral("mp4")}},
    {"4k_8bit", {QStringLiteral("3840x2160"), {"-c:v", "libx264", "-pix_fmt", "yuv420p"}, QStringLiteral("mp4")}},
    {"4k_10bit", {QStringLiteral("3840x2160"), {"-c:v", "libx264", "-pix_fmt", "yuv420p10le"}, QStringLiteral("mp4")}},
    {"prores_422_10bit",
     {QStringLiteral("1920x1080"), {"-c:v", "prores_ks", "-profile:v", "2", "-pix_fmt", "yuv422p10le"},
      QStringLiteral("mov")}},
    {"8k_8bit", {QStringLiteral("7680x4320"), {"-c:v", "libx264", "-pix_fmt", "yuv420p"}, QStringLiteral("mp4")}},
};

// The first picture of a one-picture video of testsrc2, decoded once.
struct Decoded {
    QTemporaryDir folder;
    std::optional<MovieFrame> picture;
};

const Decoded& decoded(const std::string& name) {
    static std::map<std::string, std::unique_ptr<Decoded>> made;
    std::unique_ptr<Decoded>& entry = made[name];
    if (entry) return *entry;
    entry = std::make_unique<Decoded>();
    const Source& source = sources.at(name);
    const QString path = entry->folder.filePath(QStringLiteral("picture.") + source.suffix);
    if (runFfmpeg(QStringList{"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1:rate=30").arg(source.size),
                              "-frames:v", "1"} +
                  source.coding + QStringList{path})) {
        MovieDecoder decoder(path, {});
        entry->picture = decoder.nextPicture();
    }
    return *entry;
}

QSize shown(const AVFrame& frame, QSize bounds = window) {
    return fittedSize(QSize(frame.width, frame.height), bounds);
}

// Runs `convert` on the source's picture, timed by the wall clock (the
// benchmark's own) and by the process's CPU time.
void measure(benchmark::State& state, const std::string& name, const std::function<QImage(const AVFrame&)>& convert) {
    const Decoded& source = decoded(name);
    if (!source.picture) return state.SkipWithError("the picture could not be made");
    const AVFrame& frame = *source.picture->frame;
    benchmark::DoNotOptimize(convert(frame).constBits());
    double cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_SELF);
        const QImage picture = convert(frame);
        benchmark::DoNotOptimize(picture.constBits());
        cpu += cpuSeconds(RUSAGE_SELF) - before;
    }
    state.counters["cpu_ms_per_picture"] = 1000 * cpu / double(state.iterations());
}

void ours(benchmark::State& state, const std::string& name) {
    measure(state, name, [](const AVFrame& frame) { return uprightPicture(frame, 0, shown(frame)); });
}

void enlarged(benchmark::State& state, const std::string& name, QSize bounds) {
    measure(state, name, [bounds](const AVFrame& frame) { return uprightPicture(frame, 0, shown(frame, bounds)); });
}

// The player's conversion before: 8-bit 4:2:0 scaled on one thread with
// libyuv's box filter, then converted.
QImage formerShrunk420(const AVFrame& frame) {
    const QSize size = shown(frame);
    const int w = size.width(), h = size.height(), half = (w + 1) / 2, halfHeight = (h + 1) / 2;
    std::vector<uint8_t> planes(size_t(w) * size_t(h) + 2 * size_t(half) * size_t(halfHeight));
    uint8_t* y = planes.data();
    uint8_t* u = y + size_t(w) * size_t(h);
    uint8_t* v = u + size_t(half) * size_t(halfHeight);
    libyuv::I420Scale(frame.data[0], frame.linesize[0], frame.data[1], frame.linesize[1], frame.data[2],
                      frame.linesize[2], frame.width, frame.height, y, w, u, half, v, half, w, h, libyuv::kFilterBox);
    QImage picture(size, QImage::Format_RGB32);
    libyuv::I420ToARGBMatrix(y, w, u, half, v, half, picture.bits(), int(picture.bytesPerLine()),
                             &libyuv::kYuvI601Constants, w, h);
    return picture;
}

// The player's conversion before for 10-bit 4:2:0: converted whole, then
// scaled with libyuv's box filter.
QImage formerWhole010(const AVFrame& frame) {
    QImage whole(frame.width, frame.height, QImage::Format_RGB32);
    const auto* d = reinterpret_cast<uint16_t* const*>(frame.data);
    libyuv::I010ToARGBMatrix(d[0], frame.linesize[0] / 2, d[1], frame.linesize[1] / 2, d[2], frame.linesize[2] / 2,
                             whole.bits(), int(whole.bytesPerLine()), &libyuv::kYuvI601Constants, frame.width,
                             frame.height);
    const QSize size = shown(frame);
    QImage picture(size, QImage::Format_RGB32);
    libyuv::ARGBScale(whole.constBits(), int(whole.bytesPerLine()), whole.width(), whole.height(), picture.bits(),
                      int(picture.bytesPerLine()), size.width(), size.height(), libyuv::kFilterBox);
    return picture;
}

void before(benchmark::State& state, const std::string& name, QImage (*convert)(const AVFrame&)) {
    measure(state, name, convert);
}

}  // namespace

BENCHMARK_CAPTURE(ours, 1080p_8bit, std::string("1080p_8bit"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(before, 1080p_8bit, std::string("1080p_8bit"), formerShrunk420)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ours, 4k_8bit, std::string("4k_8bit"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(before, 4k_8bit, std::string("4k_8bit"), formerShrunk420)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ours, 4k_10bit, std::string("4k_10bit"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(before, 4k_10bit, std::string("4k_10bit"), formerWhole010)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ours, prores_422_10bit, std::string("prores_422_10bit"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ours, 8k_8bit, std::string("8k_8bit"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(before, 8k_8bit, std::string("8k_8bit"), formerShrunk420)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(enlarged, 720p_8bit_in_full_hd, std::string("720p_8bit"), fullHdWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(enlarged, 1080p_8bit_in_4k, std::string("1080p_8bit"), fourKWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(enlarged, prores_422_10bit_in_4k, std::string("prores_422_10bit"), fourKWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
