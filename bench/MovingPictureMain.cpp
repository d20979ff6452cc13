// FFmpeg's moving test picture (testsrc2) at 30 pictures a second, shown in
// a borderless window over the whole screen, as content for the
// whole-program recording benchmark (bench/program-recording.sh). FFmpeg's
// command line makes the pictures in real time and hands them over raw
// through a pipe, read whole by a thread of this program; the window shows
// the newest through the backing store's shared memory. ffplay shows 4K
// pictures through SDL about ten times a second here, too few to measure a
// recorder by. With "--still" the first picture stays.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

#include <malloc.h>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

struct PipeClose {
    void operator()(std::FILE* pipe) const noexcept { pclose(pipe); }
};

class MovingPicture : public QRasterWindow {
public:
    explicit MovingPicture(const QRect& place) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(place);
        setTitle(QStringLiteral("content"));
    }

    // From the reading thread: shows `picture` next, in place of any that
    // has not been shown yet.
    void arrived(QImage picture) {
        std::lock_guard guard(lock_);
        const bool waiting = next_.has_value();
        next_ = std::move(picture);
        if (!waiting) QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        {
            std::lock_guard guard(lock_);
            if (next_) shown_ = *std::exchange(next_, std::nullopt);
        }
        if (!shown_.isNull()) QPainter(this).drawImage(0, 0, shown_);
    }

private:
    std::mutex lock_;
    std::optional<QImage> next_;
    QImage shown_;
};

std::unique_ptr<std::FILE, PipeClose> openSource(QSize size, bool still) {
    const QByteArray command = QStringLiteral("ffmpeg -hide_banner -loglevel error -nostdin -re -f lavfi -i "
                                              "testsrc2=size=%1x%2:rate=30 %3 -pix_fmt bgra -f rawvideo -")
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(still ? QStringLiteral("-frames:v 1") : QString())
                                   .toLocal8Bit();
    return std::unique_ptr<std::FILE, PipeClose>(popen(command.constData(), "r"));
}

}  // namespace

int main(int argc, char** argv) {
    // A 4K picture is larger than the largest block the C library would
    // otherwise keep for the next: each would be a new mapping, its pages
    // faulted in anew thirty times a second.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    QGuiApplication app(argc, argv);
    const bool still = QCoreApplication::arguments().contains(QStringLiteral("--still"));
    const QRect place = QGuiApplication::primaryScreen()->geometry();
    MovingPicture window(place);
    window.show();
    const auto source = openSource(place.size(), still);
    if (!source) return 1;
    std::thread([&window, pipe = source.get(), size = place.size()] {
        for (;;) {
            QImage picture(size, QImage::Format_RGB32);
            if (std::fread(picture.bits(), 1, size_t(picture.sizeInBytes()), pipe) != size_t(picture.sizeInBytes()))
                return;
            window.arrived(std::move(picture));
        }
    }).detach();
    // The reading thread and FFmpeg, blocked on the pipe, end with the process.
    std::_Exit(app.exec());
}
