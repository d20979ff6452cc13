#pragma once

#include "camera/CursorSample.h"
#include "platform/desktop/PointerSource.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace tavero {

// Records the pointer 30 times a second while a screen recording runs, each
// sample already in fractions of the recorded video frame, so that the smart
// camera can follow it knowing nothing of screens. When one window is
// recorded it also follows that window as it moves or changes size. Target
// rectangles and the pointer are in root pixels with a top-left origin.
// Lives and samples on the main thread.
class CursorRecorder : public QObject {
    Q_OBJECT

public:
    // Seconds on a clock that never goes back.
    using Clock = std::function<double()>;
    using BoundsHandler = std::function<void(const QRectF& bounds)>;

    // Samples come from `pointer`; without one (no X display) none are taken.
    // `uptime` times the samples of a recording started without a clock of
    // its own; by default the monotonic clock.
    explicit CursorRecorder(std::shared_ptr<PointerSource> pointer, Clock uptime = {}, QObject* parent = nullptr);
    ~CursorRecorder() override;

    // Begins a new recording of `bounds` (following `windowID` when given)
    // into a video of `videoSize` pixels, with its earlier samples cleared.
    // Samples are stamped with `recordingTime` when given, else with the
    // seconds since this call. The first sample is taken at once.
    void start(const QRectF& bounds, std::optional<quint32> windowID, const QSizeF& videoSize,
               Clock recordingTime = {});
    // Stops sampling; the samples stay.
    QList<CursorSample> stop();
    // Samples again after stop(), keeping the samples, the target and the
    // clock. A button already held now is no click.
    void resume();
    // Drops the samples later than `time`; one at exactly `time` stays.
    void trim(double time);

    bool isSampling() const;
    const QList<CursorSample>& samples() const { return samples_; }
    void setSamples(QList<CursorSample> samples) { samples_ = std::move(samples); }

    // Told each refreshed rectangle of a followed window.
    void setOnBounds(BoundsHandler handler) { onBounds_ = std::move(handler); }

    // Where `point` falls in the video frame, as fractions from its top-left
    // corner, when `bounds` is fitted into a video of aspect `videoAspect`
    // (width / height; anything but a finite positive aspect counts as 1).
    // Not clamped: points outside the target land outside its band.
    static QPointF normalized(const QPointF& point, const QRectF& bounds, double videoAspect);

private:
    void takeSample();
    void refreshWindowBounds();
    double now() const;

    std::shared_ptr<PointerSource> pointer_;
    Clock uptime_;
    QTimer* timer_;
    double started_ = 0;
    Clock recordingTime_;
    int buttons_ = 0;
    int tick_ = 0;
    QRectF target_;
    std::optional<quint32> windowID_;
    double videoAspect_ = 1;
    QList<CursorSample> samples_;
    BoundsHandler onBounds_;
};

}  // namespace tavero
