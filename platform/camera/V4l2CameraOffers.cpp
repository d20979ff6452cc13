#include "platform/camera/V4l2CameraOffers.h"

#include "platform/files/FileDescriptor.h"

#include <QFile>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>

namespace tavero {

namespace {

// One question to the driver; false once it has no more answers (EINVAL
// past the last entry of a list) or none at all.
template <typename Answer>
bool ask(const FileDescriptor& device, unsigned long request, Answer& answer) {
    int result = 0;
    do result = ::ioctl(device.get(), request, &answer);
    while (result < 0 && errno == EINTR);
    return result == 0;
}

std::optional<CameraCoding> codingOf(quint32 pixelFormat) {
    switch (pixelFormat) {
    case V4L2_PIX_FMT_YUYV: return CameraCoding::yuyv;
    case V4L2_PIX_FMT_UYVY: return CameraCoding::uyvy;
    case V4L2_PIX_FMT_NV12: return CameraCoding::nv12;
    case V4L2_PIX_FMT_YUV420: return CameraCoding::i420;
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG: return CameraCoding::mjpeg;
    default: return std::nullopt;
    }
}

// A time per picture turned into pictures a second.
CameraRate rateOf(const v4l2_fract& interval) { return {interval.denominator, interval.numerator}; }

CameraRates ratesAt(const FileDescriptor& device, quint32 pixelFormat, QSize size) {
    CameraRates rates;
    v4l2_frmivalenum interval{};
    interval.pixel_format = pixelFormat;
    interval.width = quint32(size.width());
    interval.height = quint32(size.height());
    for (interval.index = 0; ask(device, VIDIOC_ENUM_FRAMEINTERVALS, interval); ++interval.index) {
        if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            rates.listed.append(rateOf(interval.discrete));
            continue;
        }
        // Stepwise and continuous intervals come as one entry: the longest
        // time per picture is the slowest rate.
        rates.range = CameraRateRange{rateOf(interval.stepwise.max), rateOf(interval.stepwise.min)};
        break;
    }
    return rates;
}

QList<CameraSizeOffer> sizesOf(const FileDescriptor& device, quint32 pixelFormat) {
    QList<CameraSizeOffer> sizes;
    v4l2_frmsizeenum size{};
    size.pixel_format = pixelFormat;
    for (size.index = 0; ask(device, VIDIOC_ENUM_FRAMESIZES, size); ++size.index) {
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            const QSize each(int(size.discrete.width), int(size.discrete.height));
            sizes.append(CameraSizeOffer::single(each, ratesAt(device, pixelFormat, each)));
            continue;
        }
        const v4l2_frmsize_stepwise& range = size.stepwise;
        CameraSizeOffer offer{QSize(int(range.min_width), int(range.min_height)),
                              QSize(int(range.max_width), int(range.max_height)),
                              QSize(int(range.step_width), int(range.step_height)),
                              {}};
        offer.rates = ratesAt(device, pixelFormat, consideredSize(offer));
        sizes.append(offer);
        break;
    }
    return sizes;
}

}  // namespace

CameraOffers readCameraOffers(const QString& node) {
    const FileDescriptor device(::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    CameraOffers offers;
    if (!device.valid()) return offers;
    v4l2_fmtdesc format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (format.index = 0; ask(device, VIDIOC_ENUM_FMT, format); ++format.index)
        if (const std::optional<CameraCoding> coding = codingOf(format.pixelformat))
            offers.append({*coding, sizesOf(device, format.pixelformat)});
    return offers;
}

}  // namespace tavero
