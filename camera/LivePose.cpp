#include "camera/LivePose.h"

#include "camera/SmartCameraTrack.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

constexpr double activityDistance = 1.0;
constexpr double shortestStep = 0.001;
constexpr double longestStep = 0.2;
constexpr double focusTau = 0.16;
constexpr double zoomInTau = 0.32;
constexpr double zoomOutTau = 0.55;
constexpr double cameraTau = 0.24;
constexpr double zoomInFrom = 0.8;
constexpr double activityWindow = 2.2;

double approach(double step, double tau) { return 1 - std::exp(-step / tau); }

// First capped at the far side, then raised to the near one.
double limited(double value, double low, double high) { return std::max(std::min(value, high), low); }

}  // namespace

LivePose::LivePose(const QRectF& bounds, const RecordingEffects& effects)
    : bounds_(bounds), zoomedIn_(effects.autoZoom ? SmartCameraTrack::usableZoom(effects.zoom) : 1) {}

const CameraPose& LivePose::advance(double time, const QPointF& pointer, bool pressed) {
    const double step = std::isfinite(time) ? std::clamp(time - pose_.time, shortestStep, longestStep) : shortestStep;
    double target = 1;
    double tau = zoomOutTau;
    // An empty area contains nothing, so no division by its size happens.
    if (!bounds_.isEmpty() && bounds_.contains(pointer)) {
        if (QLineF(pointer, lastPointer_).length() > activityDistance || pressed) lastActivity_ = time;
        const double share = approach(step, focusTau);
        pose_.focusX += share * ((pointer.x() - bounds_.left()) / bounds_.width() - pose_.focusX);
        pose_.focusY += share * ((pointer.y() - bounds_.top()) / bounds_.height() - pose_.focusY);
        if (time > zoomInFrom && time - lastActivity_ < activityWindow) {
            target = zoomedIn_;
            tau = zoomInTau;
        }
    }
    pose_.zoom += (target - pose_.zoom) * approach(step, tau);
    const double half = 0.5 / pose_.zoom;
    const double follow = approach(step, cameraTau);
    pose_.x = limited(pose_.x + (pose_.focusX - pose_.x) * follow, half, 1 - half);
    pose_.y = limited(pose_.y + (pose_.focusY - pose_.y) * follow, half, 1 - half);
    if (std::isfinite(time)) pose_.time = time;
    lastPointer_ = pointer;
    return pose_;
}

}  // namespace tavero
