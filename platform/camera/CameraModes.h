#pragma once

#include <QList>
#include <QSize>

#include <optional>

namespace tavero {

// The picture codings of a camera that we read. Raw pictures cross the
// USB bus pixel by pixel, which a USB 2 webcam manages at full HD only a
// few times a second; MJPEG is what it offers for full HD at 30.
enum class CameraCoding { yuyv, uyvy, nv12, i420, mjpeg };

// Pictures a second as a fraction: 30000/1001 for NTSC's 29.97.
struct CameraRate {
    unsigned pictures = 0;
    unsigned seconds = 1;

    double perSecond() const { return seconds ? double(pictures) / seconds : 0; }
    friend bool operator==(const CameraRate&, const CameraRate&) = default;
};

// A range of rates: any between the two, which the driver rounds to its own.
struct CameraRateRange {
    CameraRate slowest;
    CameraRate fastest;
};

// The rates a camera offers at one size: those it lists, and a range.
// Both empty when its driver does not say.
struct CameraRates {
    QList<CameraRate> listed;
    std::optional<CameraRateRange> range;
};

// One size a camera offers, or a range of them: every size from `smallest`
// to `largest`, each side in steps of `step` (1 for any size between).
// The rates of a range are those at its considered size (consideredSize).
struct CameraSizeOffer {
    QSize smallest;
    QSize largest;
    QSize step{1, 1};
    CameraRates rates;

    static CameraSizeOffer single(QSize size, CameraRates rates) { return {size, size, {1, 1}, std::move(rates)}; }
};

// The sizes a camera offers in one coding.
struct CameraFormatOffer {
    CameraCoding coding = CameraCoding::yuyv;
    QList<CameraSizeOffer> sizes;
};

// Everything a camera offers, as its driver lists it.
using CameraOffers = QList<CameraFormatOffer>;

// How to open a camera: its coding, size and rate (none when the driver
// named no rate for that size).
struct CameraMode {
    CameraCoding coding = CameraCoding::yuyv;
    QSize size;
    std::optional<CameraRate> rate;

    friend bool operator==(const CameraMode&, const CameraMode&) = default;
};

// The pictures we ask a camera for: at most full HD, 30 a second.
inline constexpr QSize largestCameraPicture{1920, 1080};
inline constexpr double wantedCameraRate = 30;

// The size of `offer` a choice weighs: the largest that fits within full
// HD (on the range's steps), or the smallest when none does.
QSize consideredSize(const CameraSizeOffer& offer);

// The mode to open a camera in: the largest size within full HD that
// reaches 30 pictures a second (29.97 counts), raw when that size is to be
// had raw as fast, MJPEG otherwise. When no size within full HD reaches
// 30, the fastest of them (the largest of equally fast ones). Sizes beyond
// full HD only when nothing fits within it, the smallest first, again
// those reaching 30 before the others. At a size offered faster than 30,
// 30 is asked for when offered, else the slowest rate above it. None for a
// camera that offers nothing we read.
std::optional<CameraMode> chooseCameraMode(const CameraOffers& offers);

}  // namespace tavero
