#include "camera/SmartCameraTrack.h"

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

constexpr double largestZoom = 2.5;
// Time steps are clamped so that a gap in the samples cannot jump the camera
// and equal times still move it a little.
constexpr double shortestStep = 0.001;
constexpr double longestStep = 0.2;
// Pointer travel (in frame fractions) that counts as working.
constexpr double activityDistance = 0.001;
// Long enough ago that the recording starts at rest.
constexpr double neverActive = -10;
// No zoom before the viewer has seen the whole picture for a moment.
constexpr double zoomDelay = 0.8;
constexpr double activityHold = 2.2;
constexpr double focusTimeConstant = 0.16;
constexpr double zoomInTimeConstant = 0.32;
constexpr double zoomOutTimeConstant = 0.55;
constexpr double cameraTimeConstant = 0.24;
// Poses closer together than this are interpolated as if this far apart.
constexpr double shortestSpan = 0.0001;

// The share of the remaining distance covered in `step` seconds by an
// exponential approach with time constant `tau`.
double approach(double step, double tau) { return 1 - std::exp(-step / tau); }

double limited(double value, double low, double high) { return std::max(std::min(value, high), low); }

bool usable(const CursorSample& sample, double lastTime) {
    return std::isfinite(sample.time) && sample.time >= 0 && std::isfinite(sample.x) && std::isfinite(sample.y) &&
           sample.time >= lastTime;
}

// The smoothing between two accepted samples.
class Smoothing {
public:
    Smoothing(const RecordingEffects& effects)
        : zoomedIn_(effects.autoZoom ? SmartCameraTrack::usableZoom(effects.zoom) : 1) {}

    CameraPose advance(const CursorSample& sample) {
        const double step = std::clamp(sample.time - lastTime_, shortestStep, longestStep);
        double zoomTarget = 1;
        double zoomTau = zoomOutTimeConstant;
        if (sample.inside) {
            const bool moved = seenOne_ && std::hypot(sample.x - lastX_, sample.y - lastY_) > activityDistance;
            if (sample.clicked || moved) lastActivity_ = sample.time;
            const double share = approach(step, focusTimeConstant);
            pose_.focusX += (std::clamp(sample.x, 0.0, 1.0) - pose_.focusX) * share;
            pose_.focusY += (std::clamp(sample.y, 0.0, 1.0) - pose_.focusY) * share;
            if (sample.time > zoomDelay && sample.time - lastActivity_ < activityHold) {
                zoomTarget = zoomedIn_;
                zoomTau = zoomInTimeConstant;
            }
        }
        pose_.zoom += (zoomTarget - pose_.zoom) * approach(step, zoomTau);
        // The viewport stays inside the frame at every zoom.
        const double low = 0.5 / pose_.zoom, high = 1 - 0.5 / pose_.zoom;
        const double share = approach(step, cameraTimeConstant);
        pose_.x = limited(pose_.x + (limited(pose_.focusX, low, high) - pose_.x) * share, low, high);
        pose_.y = limited(pose_.y + (limited(pose_.focusY, low, high) - pose_.y) * share, low, high);
        pose_.time = sample.time;
        lastTime_ = sample.time;
        lastX_ = sample.x;
        lastY_ = sample.y;
        seenOne_ = true;
        return pose_;
    }

    double lastTime() const { return lastTime_; }

private:
    const double zoomedIn_;
    CameraPose pose_;
    double lastTime_ = 0;
    double lastX_ = 0;
    double lastY_ = 0;
    bool seenOne_ = false;
    double lastActivity_ = neverActive;
};

}  // namespace

SmartCameraTrack::SmartCameraTrack(const QList<CursorSample>& samples, const RecordingEffects& effects) {
    poses_.reserve(samples.size() + 1);
    poses_.append(CameraPose{});
    Smoothing smoothing(effects);
    for (const CursorSample& sample : samples)
        if (usable(sample, smoothing.lastTime())) poses_.append(smoothing.advance(sample));
}

CameraPose SmartCameraTrack::at(double time) const {
    if (poses_.size() == 1) return poses_.first();
    qsizetype low = 0, high = poses_.size() - 1;
    while (low + 1 < high) {
        const qsizetype middle = (low + high) / 2;
        (poses_[middle].time <= time ? low : high) = middle;
    }
    const CameraPose& a = poses_[low];
    const CameraPose& b = poses_[high];
    const double fraction = std::clamp((time - a.time) / std::max(b.time - a.time, shortestSpan), 0.0, 1.0);
    const auto mix = [fraction](double from, double to) { return from + (to - from) * fraction; };
    return {time, mix(a.x, b.x), mix(a.y, b.y), mix(a.zoom, b.zoom), mix(a.focusX, b.focusX), mix(a.focusY, b.focusY)};
}

QRectF SmartCameraTrack::viewport(const CameraPose& pose, const QSizeF& size) {
    const double zoom = std::max(pose.zoom, 1.0);
    const double width = size.width() / zoom, height = size.height() / zoom;
    const double x = limited(pose.x * size.width() - width * 0.5, 0, size.width() - width);
    // Poses measure y from the top; the viewport from the bottom.
    const double y = limited((1 - pose.y) * size.height() - height * 0.5, 0, size.height() - height);
    return {x, y, width, height};
}

double SmartCameraTrack::usableZoom(double zoom) {
    return std::isnan(zoom) ? 1 : std::clamp(zoom, 1.0, largestZoom);
}

}  // namespace tavero
