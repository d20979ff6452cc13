#include "platform/camera/CameraModes.h"

#include <algorithm>

namespace tavero {

namespace {

// 30000/1001 reaches 30 a second for anyone watching.
constexpr double reachingRate = 29.9;
constexpr CameraRate thirty{30, 1};

bool reaches(const CameraRate& rate) { return rate.perSecond() >= reachingRate; }

bool fits(QSize size) {
    return size.width() <= largestCameraPicture.width() && size.height() <= largestCameraPicture.height();
}

// The largest of `smallest` + n × `step` up to `bound`; `smallest` when
// even that exceeds it.
int largestStepWithin(int smallest, int largest, int step, int bound) {
    const int top = std::min(largest, bound);
    if (top <= smallest) return smallest;
    const int steps = (top - smallest) / std::max(step, 1);
    return smallest + steps * std::max(step, 1);
}

// Every rate the offer names, a range standing for its two ends and for 30
// when that lies between them.
QList<CameraRate> ratesNamed(const CameraRates& rates) {
    QList<CameraRate> named = rates.listed;
    if (const std::optional<CameraRateRange>& range = rates.range) {
        named << range->slowest << range->fastest;
        if (range->slowest.perSecond() <= wantedCameraRate && range->fastest.perSecond() >= wantedCameraRate)
            named << thirty;
    }
    named.removeIf([](const CameraRate& rate) { return rate.perSecond() <= 0; });
    return named;
}

// The slowest rate that reaches 30, else the fastest; none when the offer
// names no rate.
std::optional<CameraRate> rateFor(const CameraRates& rates) {
    const QList<CameraRate> named = ratesNamed(rates);
    if (named.isEmpty()) return std::nullopt;
    const auto slower = [](const CameraRate& a, const CameraRate& b) { return a.perSecond() < b.perSecond(); };
    QList<CameraRate> reaching = named;
    reaching.removeIf([](const CameraRate& rate) { return !reaches(rate); });
    if (!reaching.isEmpty()) return *std::min_element(reaching.begin(), reaching.end(), slower);
    return *std::max_element(named.begin(), named.end(), slower);
}

struct Candidate {
    CameraMode mode;
    bool fits = false;
    bool reaches = false;
    double rate = 0;
    qint64 area = 0;
};

Candidate candidateOf(CameraCoding coding, const CameraSizeOffer& offer) {
    Candidate candidate;
    candidate.mode = {coding, consideredSize(offer), rateFor(offer.rates)};
    candidate.fits = fits(candidate.mode.size);
    candidate.rate = candidate.mode.rate ? candidate.mode.rate->perSecond() : 0;
    candidate.reaches = candidate.mode.rate && reaches(*candidate.mode.rate);
    candidate.area = qint64(candidate.mode.size.width()) * candidate.mode.size.height();
    return candidate;
}

// Whether `a` is the better way to open the camera.
bool better(const Candidate& a, const Candidate& b) {
    if (a.fits != b.fits) return a.fits;
    if (a.reaches != b.reaches) return a.reaches;
    if (!a.reaches && a.rate != b.rate) return a.rate > b.rate;
    if (a.area != b.area) return a.fits ? a.area > b.area : a.area < b.area;
    // Raw pictures cost no decoding.
    const bool rawA = a.mode.coding != CameraCoding::mjpeg, rawB = b.mode.coding != CameraCoding::mjpeg;
    return rawA && !rawB;
}

}  // namespace

QSize consideredSize(const CameraSizeOffer& offer) {
    return {largestStepWithin(offer.smallest.width(), offer.largest.width(), offer.step.width(),
                              largestCameraPicture.width()),
            largestStepWithin(offer.smallest.height(), offer.largest.height(), offer.step.height(),
                              largestCameraPicture.height())};
}

std::optional<CameraMode> chooseCameraMode(const CameraOffers& offers) {
    std::optional<Candidate> best;
    for (const CameraFormatOffer& format : offers)
        for (const CameraSizeOffer& offer : format.sizes) {
            if (offer.smallest.isEmpty()) continue;
            const Candidate candidate = candidateOf(format.coding, offer);
            if (!best || better(candidate, *best)) best = candidate;
        }
    if (!best) return std::nullopt;
    return best->mode;
}

}  // namespace tavero
