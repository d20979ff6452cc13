#include "camera/CursorRecorder.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tavero {

namespace {

// 1/30 s, to the millisecond the timer counts in.
constexpr std::chrono::milliseconds samplingInterval(33);
// A followed window is asked where it is on every 8th sample only.
constexpr int windowRefreshEvery = 8;

double monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A video without a usable size would turn every position into NaN.
double usableAspect(double aspect) { return std::isfinite(aspect) && aspect > 0 ? aspect : 1; }

// Left and top edges belong to the target, right and bottom ones do not.
bool within(const QRectF& target, const QPointF& point) {
    return point.x() >= target.left() && point.x() < target.right() && point.y() >= target.top() &&
           point.y() < target.bottom();
}

}  // namespace

CursorRecorder::CursorRecorder(std::shared_ptr<PointerSource> pointer, Clock uptime, QObject* parent)
    : QObject(parent),
      pointer_(std::move(pointer)),
      uptime_(uptime ? std::move(uptime) : Clock(monotonicSeconds)),
      timer_(new QTimer(this)) {
    timer_->setInterval(samplingInterval);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &CursorRecorder::takeSample);
}

CursorRecorder::~CursorRecorder() = default;

void CursorRecorder::start(const QRectF& bounds, std::optional<quint32> windowID, const QSizeF& videoSize,
                           Clock recordingTime) {
    stop();
    samples_.clear();
    started_ = uptime_();
    recordingTime_ = std::move(recordingTime);
    target_ = bounds;
    windowID_ = windowID;
    videoAspect_ = usableAspect(videoSize.width() / std::max(videoSize.height(), 1.0));
    tick_ = 0;
    resume();
}

QList<CursorSample> CursorRecorder::stop() {
    timer_->stop();
    return samples_;
}

void CursorRecorder::resume() {
    timer_->stop();
    buttons_ = 0;
    if (pointer_) {
        if (const std::optional<PointerState> state = pointer_->pointer()) buttons_ = state->buttons;
    }
    timer_->start();
    takeSample();
}

void CursorRecorder::trim(double time) {
    samples_.removeIf([time](const CursorSample& sample) { return sample.time > time; });
}

bool CursorRecorder::isSampling() const { return timer_->isActive(); }

QPointF CursorRecorder::normalized(const QPointF& point, const QRectF& bounds, double videoAspect) {
    const double video = usableAspect(videoAspect);
    const double targetAspect = bounds.width() / std::max(bounds.height(), 1.0);
    double x = (point.x() - bounds.left()) / std::max(bounds.width(), 1.0);
    double y = (point.y() - bounds.top()) / std::max(bounds.height(), 1.0);
    if (targetAspect > video) {
        // Wider than the video: it fills the width, with bands above and below.
        const double share = video / targetAspect;
        y = (1 - share) * 0.5 + share * y;
    } else {
        const double share = targetAspect / video;
        x = (1 - share) * 0.5 + share * x;
    }
    return {x, y};
}

void CursorRecorder::takeSample() {
    if (!pointer_) return;
    ++tick_;
    if (tick_ % windowRefreshEvery == 0 && windowID_) refreshWindowBounds();
    const std::optional<PointerState> state = pointer_->pointer();
    if (!state) return;
    const QPointF position = state->position;
    const QPointF framed = normalized(position, target_, videoAspect_);
    const bool clicked = state->buttons != 0 && buttons_ == 0;
    samples_.append({now(), framed.x(), framed.y(), within(target_, position), clicked});
    buttons_ = state->buttons;
}

void CursorRecorder::refreshWindowBounds() {
    const std::optional<QRect> frame = pointer_->windowFrame(*windowID_);
    if (!frame || frame->width() <= 0 || frame->height() <= 0) return;
    target_ = *frame;
    if (onBounds_) onBounds_(target_);
}

double CursorRecorder::now() const { return recordingTime_ ? recordingTime_() : uptime_() - started_; }

}  // namespace tavero
