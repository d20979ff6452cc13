#include "platform/media/PixelAspect.h"

#include "platform/media/DisplayMatrix.h"

#include <algorithm>
#include <cmath>

namespace tavero::media {

namespace {

constexpr double widestPixel = 4;

bool sensible(AVRational aspect) {
    const double ratio = av_q2d(aspect);
    return aspect.num > 0 && aspect.den > 0 && ratio >= 1 / widestPixel && ratio <= widestPixel;
}

int nearestEven(double length) { return std::max(2, 2 * int(std::lround(length / 2))); }
int evenBelow(double length) { return std::max(2, 2 * int(length / 2)); }

// Longer, never shorter: no coded pixel is lost.
QSize stretched(QSize coded, AVRational aspect) {
    const double ratio = av_q2d(aspect);
    if (ratio > 1) return {nearestEven(coded.width() * ratio), coded.height()};
    if (ratio < 1) return {coded.width(), nearestEven(coded.height() / ratio)};
    return coded;
}

QSize withinPictureLimits(QSize size) {
    const double width = size.width(), height = size.height();
    const double fit = std::min({largestPictureSide / width, largestPictureSide / height,
                                 std::sqrt(double(largestPictureArea) / (width * height))});
    if (fit >= 1) return size;
    return {evenBelow(width * fit), evenBelow(height * fit)};
}

}  // namespace

AVRational pixelAspect(AVFormatContext* context, AVStream* stream) {
    return av_guess_sample_aspect_ratio(context, stream, nullptr);
}

QSize shownSize(AVFormatContext* context, AVStream* stream) {
    const QSize coded(stream->codecpar->width, stream->codecpar->height);
    if (coded.isEmpty()) return coded;
    const AVRational aspect = pixelAspect(context, stream);
    const QSize shown = withinPictureLimits(sensible(aspect) ? stretched(coded, aspect) : coded);
    return uprightTurn(stream) % 180 ? shown.transposed() : shown;
}

}  // namespace tavero::media
