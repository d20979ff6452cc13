// Ten seconds of a live part through LivePartRecorder: a page of text
// scrolling 4 pixels a picture (changing content, a picture every slot) or
// standing still (a picture a second), with one sound track fed in real time
// (a quiet tone, or silence), at 1920 × 1080 and 3840 × 2160. Beside it,
// FFmpeg's command line encodes the same scrolling pictures at the same
// settings (libx264 ultrafast, CRF 20, no B-frames, a keyframe a second,
// fragmented MP4), read from a pipe at 30 a second.
//
// Reported: CPU seconds per second of video (the whole process for ours, the
// feed's copying of its pictures included; the child's own for the command
// line), pictures written and dropped, peak resident memory (ours: the whole
// process, pages included, and its growth over the run; the command line's:
// its process, read just before its input ends).
#include "bench/ProcessMeasures.h"
#include "platform/media/LivePartRecorder.h"
#include "tests/support/Pictures.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <thread>

#include <sys/resource.h>

using namespace tavero;
using bench::cpuSeconds;
using bench::resetPeak;
using bench::statusBytes;
using namespace tavero::media;

namespace {

using namespace std::chrono_literals;

constexpr int recordSeconds = 10;
constexpr int scrollStep = 4;

// A page twice as tall as `size`; pictures are windows onto it.
const QImage& page(QSize size) {
    static QImage made;
    if (made.width() != size.width())
        made = fixtures::textPage(size.width(), size.height() * 2).convertToFormat(QImage::Format_RGB32);
    return made;
}

QImage window(QSize size, int picture) {
    return page(size).copy(0, picture * scrollStep % size.height(), size.width(), size.height());
}

// Each grab copies its picture out, as a screen grab does.
class PageFeed final : public PictureFeed {
public:
    PageFeed(QSize size, bool scrolling) : size_(size), scrolling_(scrolling) {}

    QSize size() const override { return size_; }

    bool waitForChange(MonotonicTime deadline) override {
        if (scrolling_) return true;
        std::unique_lock guard(lock_);
        changed_.wait_until(guard, deadline, [&] { return woken_; });
        woken_ = false;
        return false;
    }

    void wake() override {
        {
            std::lock_guard guard(lock_);
            woken_ = true;
        }
        changed_.notify_all();
    }

    QImage grab() override { return window(size_, scrolling_ ? grabs_++ : 0); }

private:
    const QSize size_;
    const bool scrolling_;
    int grabs_ = 0;
    std::mutex lock_;
    std::condition_variable changed_;
    bool woken_ = false;
};

// One input of 20 ms chunks of a tone, delivered as they are "captured".
class ToneCapture final : public SoundCapture {
public:
    ToneCapture(ChunkHandler chunk, double amplitude)
        : amplitude_(amplitude), thread_([this, chunk = std::move(chunk)] { play(chunk); }) {}
    ~ToneCapture() override {
        stopping_ = true;
        thread_.join();
    }

private:
    void play(const ChunkHandler& chunk) {
        constexpr int frames = 960;
        std::vector<float> samples(size_t(frames) * 2);
        const MonotonicTime start = std::chrono::steady_clock::now();
        for (qint64 index = 0; !stopping_; ++index) {
            const MonotonicTime stamp =
                start + std::chrono::round<std::chrono::steady_clock::duration>(Seconds(index * 0.02));
            std::this_thread::sleep_until(stamp + 20ms);
            for (int frame = 0; frame < frames; ++frame)
                samples[size_t(frame) * 2] = samples[size_t(frame) * 2 + 1] =
                    float(amplitude_ * std::sin(2 * std::numbers::pi * 440 * double(index * frames + frame) / 48000));
            chunk({SoundInput::system, samples.data(), frames, 2, 48000, stamp});
        }
    }

    const double amplitude_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

SoundRecorder::Open toneOf(double amplitude) {
    return [amplitude](const QList<SoundInput>&, SoundCapture::ChunkHandler chunk, SoundCapture::FailureHandler) {
        return std::make_unique<ToneCapture>(std::move(chunk), amplitude);
    };
}

// Arguments: width, height, scrolling (1) or still (0), the tone's amplitude in percent.
void liveRecorder(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    const bool scrolling = state.range(2) != 0;
    page(size);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("片段_001.mp4"));
    LivePartReport report;
    double cpu = 0;
    qint64 peak = 0;
    qint64 peakGrowth = 0;
    for (auto _ : state) {
        QFile::remove(path);
        resetPeak();
        const qint64 before = statusBytes("VmRSS:");
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        LivePartRecorder recorder(path, std::make_unique<PageFeed>(size, scrolling), {size, {{SoundInput::system}}, {}},
                                  {}, {}, toneOf(double(state.range(3)) / 100));
        std::this_thread::sleep_for(std::chrono::seconds(recordSeconds));
        report = recorder.finish();
        cpu += cpuSeconds(RUSAGE_SELF) - cpuBefore;
        peak = std::max(peak, statusBytes("VmHWM:"));
        peakGrowth = std::max(peakGrowth, statusBytes("VmHWM:") - before);
    }
    const double videoSeconds = report.seconds * double(state.iterations());
    state.counters["cpu_per_video_s"] = cpu / videoSeconds;
    state.counters["pictures"] = double(report.pictures);
    state.counters["dropped"] = double(report.dropped);
    state.counters["sound_dropped_s"] = report.soundDropped;
    state.counters["peak_rss_MB"] = double(peak) / 1e6;
    state.counters["peak_rss_growth_MB"] = double(peakGrowth) / 1e6;
    state.counters["file_MB"] = double(QFile(path).size()) / 1e6;
}

// Arguments: width, height.
void commandLine(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    page(size);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ffmpeg.mp4"));
    double cpu = 0;
    qint64 peak = 0;
    for (auto _ : state) {
        const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                      QStringLiteral("-y"), QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("rawvideo"),
                      QStringLiteral("-pixel_format"), QStringLiteral("bgra"), QStringLiteral("-video_size"),
                      QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), QStringLiteral("-framerate"),
                      QStringLiteral("30"), QStringLiteral("-i"), QStringLiteral("-"), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                      QStringLiteral("-crf"), QStringLiteral("20"), QStringLiteral("-bf"), QStringLiteral("0"),
                      QStringLiteral("-g"), QStringLiteral("30"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                      QStringLiteral("-movflags"), QStringLiteral("+frag_keyframe+empty_moov+default_base_moof"),
                      path});
        if (!ffmpeg.waitForStarted()) return state.SkipWithError("ffmpeg did not start");
        for (int picture = 0; picture < recordSeconds * 30; ++picture) {
            const QImage image = window(size, picture);
            ffmpeg.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
            while (ffmpeg.bytesToWrite() > image.sizeInBytes()) ffmpeg.waitForBytesWritten(-1);
        }
        // Its own peak (the child's rusage would count ours from before the exec).
        peak = std::max(peak, statusBytes("VmHWM:", QString::number(ffmpeg.processId())));
        ffmpeg.closeWriteChannel();
        if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0) return state.SkipWithError("ffmpeg failed");
        cpu += cpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    }
    state.counters["cpu_per_video_s"] = cpu / (recordSeconds * double(state.iterations()));
    state.counters["pictures"] = recordSeconds * 30;
    state.counters["peak_rss_MB"] = double(peak) / 1e6;
    state.counters["file_MB"] = double(QFile(path).size()) / 1e6;
}

}  // namespace

BENCHMARK(liveRecorder)
    ->Name("LivePartRecorder")
    ->ArgNames({"width", "height", "scrolling", "tone"})
    ->Args({1920, 1080, 1, 20})
    ->Args({1920, 1080, 0, 20})
    ->Args({1920, 1080, 0, 0})
    ->Args({3840, 2160, 1, 20})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(commandLine)
    ->Name("ffmpeg_rawvideo_pipe")
    ->ArgNames({"width", "height"})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
