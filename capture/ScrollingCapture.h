#pragma once

#include "capture/CaptureRegion.h"
#include "capture/ScrollComparison.h"
#include "capture/ScrollComposite.h"
#include "capture/ScrollFrameSource.h"
#include "platform/Result.h"
#include "platform/desktop/ScreenSource.h"
#include "platform/process/RunningApplication.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tavero {

class CaptureCoordinator;
class ScrollControls;
class ScrollControlsPresenter;

struct ScrollingCaptureTiming {
    // How long a finish waits for the stream to stop before it delivers
    // what it has.
    std::chrono::milliseconds finishDeadline{5000};
};

// A scrolling screenshot ("长截图"): while the user scrolls a page, frames
// of the chosen region stream in, each is compared with the last accepted
// one and, when the content moved down by a trustworthy amount, its new
// rows are joined below the long image. "完成" stops the stream, waits for
// the last comparison and the newest waiting frame, closes the bar and the
// frame and delivers the long image once through `completed`.
//
// Lives on the main thread with all its state. Owns the frame stream and
// the bar's windows; comparisons run one at a time on the shared worker
// pool, the newest frame that arrives meanwhile waits as the one pending
// frame, and a generation token drops the answers of an earlier session.
class ScrollingCapture : public QObject {
    Q_OBJECT
public:
    using StreamFactory = std::function<std::unique_ptr<ScrollFrameSource>()>;

    // Frames come from `screen` unless a stream factory is set.
    explicit ScrollingCapture(std::shared_ptr<ScreenSource> screen, ScrollingCaptureTiming timing = {},
                              QObject* parent = nullptr);
    ~ScrollingCapture() override;

    void setControlsPresenter(ScrollControlsPresenter* presenter);
    void setStreamFactory(StreamFactory factory);

    // Frames in the long image: 1 right after start, 0 when idle.
    int count() const { return count_; }
    // Pixel height of the long image.
    int height() const { return height_; }
    // The one-line status of the bar.
    const QString& message() const { return message_; }
    // The user asked to finish; the session is winding down.
    bool finishing() const { return finishing_; }
    bool isActive() const { return active_; }

    // Begins a session on `region` with `image`, the area just captured, as
    // its first frame. A session still running is dropped first.
    void start(const QImage& image, const CaptureRegion& region, CaptureCoordinator& capture);
    // `final`: finish(); otherwise only says that frames arrive by themselves.
    void sample(bool final);
    // Ends the session and delivers; nothing when idle or already finishing.
    void finish();
    // Brings the bar and the frame to the front, when they exist.
    void presentControls();

signals:
    // count, height, message or finishing changed: the bar redraws.
    void stateChanged();
    // count or message changed in a way the model mirrors.
    void changed();
    // The long image and, when worth reporting, a notice; once per session.
    void completed(const QImage& image, const std::optional<QString>& notice);

private:
    void showControls(const CaptureRegion& region);
    void withContent(quint64 generation, const CaptureRegion& region, Result<ShareableContent> content);
    void receive(const QImage& frame);
    bool targetInFront();
    void compare(const QImage& frame);
    void apply(quint64 generation, const QImage& frame, Result<ScrollComparison> comparison);
    void accept(const QImage& frame, const ScrollComposite& composite, const QByteArray& signature);
    void stopStream();
    void streamStopped(quint64 generation);
    void deliver();
    void releaseStream();
    void setMessage(const QString& message);

    std::shared_ptr<ScreenSource> screen_;
    ScrollingCaptureTiming timing_;
    ScrollControlsPresenter* presenter_ = nullptr;
    StreamFactory makeStream_;

    int count_ = 0;
    int height_ = 0;
    QString message_;
    bool finishing_ = false;

    bool active_ = false;
    bool sampling_ = false;
    quint64 generation_ = 0;
    QImage last_;
    ScrollComposite composite_;
    QByteArray acceptedSignature_;
    std::optional<RunningApplication> target_;
    std::unique_ptr<ScrollFrameSource> stream_;
    QImage pendingFrame_;
    bool streamEnded_ = false;
    bool receivedFirstFrame_ = false;
    std::unique_ptr<ScrollControls> controls_;
    std::optional<QString> issue_;
};

}  // namespace tavero
