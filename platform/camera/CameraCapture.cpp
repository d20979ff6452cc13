#include "platform/camera/CameraCapture.h"

#include "platform/memory/PicturePool.h"
#include "platform/threads/ThreadName.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tavero {

namespace {

QString firstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

// Node "videoN" sorted by N, so video10 follows video9.
int nodeNumber(const QString& entry) { return entry.mid(5).toInt(); }

class SyntheticCamera final : public CameraCapture {
public:
    SyntheticCamera(QSize size, double rate, Picture picture)
        : size_(size), interval_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(Seconds(1.0 / rate))),
          picture_(std::move(picture)) {
        thread_ = std::thread([this] { run(); });
    }

    ~SyntheticCamera() override {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    QString name() const override { return QStringLiteral("合成摄像头"); }
    QSize size() const override { return size_; }

private:
    void run() {
        nameThisThread("tavero-camera");
        MonotonicTime next = std::chrono::steady_clock::now();
        for (qint64 number = 0;; ++number) {
            {
                std::unique_lock guard(lock_);
                if (wake_.wait_until(guard, next, [&] { return stopping_; })) return;
            }
            picture_(draw(number), std::chrono::steady_clock::now());
            next += interval_;
        }
    }

    QImage draw(qint64 number) {
        QImage image = pictures_.take(size_);
        const int half = size_.width() / 2, middle = size_.height() / 2;
        QPainter painter(&image);
        painter.fillRect(0, 0, half, middle, QColor(220, 40, 30));
        painter.fillRect(half, 0, size_.width() - half, middle, QColor(30, 180, 60));
        painter.fillRect(0, middle, half, size_.height() - middle, QColor(30, 60, 220));
        painter.fillRect(half, middle, size_.width() - half, size_.height() - middle, QColor(240, 220, 30));
        const int bar = std::max(4, size_.width() / 40);
        painter.fillRect(static_cast<int>(number * bar % std::max(1, size_.width())), 0, bar, size_.height(), Qt::white);
        return image;
    }

    const QSize size_;
    const std::chrono::steady_clock::duration interval_;
    const Picture picture_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    PicturePool pictures_{picturesHeld};
    std::thread thread_;
};

}  // namespace

QList<CameraDevice> findCameras(const QString& root) {
    QStringList entries = QDir(root).entryList({QStringLiteral("video*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(entries.begin(), entries.end(),
              [](const QString& a, const QString& b) { return nodeNumber(a) < nodeNumber(b); });
    QList<CameraDevice> cameras;
    for (const QString& entry : entries) {
        const QString folder = root + QLatin1Char('/') + entry;
        // A camera's further nodes (metadata) carry a higher index.
        const QString index = firstLine(folder + QStringLiteral("/index"));
        if (!index.isEmpty() && index != QLatin1String("0")) continue;
        const QString name = firstLine(folder + QStringLiteral("/name"));
        cameras.append({name.isEmpty() ? entry : name, QStringLiteral("/dev/") + entry});
    }
    return cameras;
}

std::unique_ptr<CameraCapture> openSyntheticCamera(QSize size, double rate, CameraCapture::Picture picture,
                                                   CameraCapture::Failed failed) {
    Q_UNUSED(failed)
    return std::make_unique<SyntheticCamera>(size, rate, std::move(picture));
}

}  // namespace tavero
