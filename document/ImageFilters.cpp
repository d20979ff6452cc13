#include "document/ImageFilters.h"
#include "document/PixelViews.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tavero::ImageOps::filters {

namespace {

// Small blurs use a true Gaussian kernel. Larger ones use three box passes
// whose combined variance matches sigma²: their cost does not grow with the
// radius, which keeps a cover of strength 96 as quick as one of 4.
constexpr double smallestBoxedSigma = 3.0;

struct BlurPasses {
    int gaussianRadius = 0;
    std::vector<int> boxWidths;
    int reach = 0;
};

// Box widths after Kovesi, "Fast almost-Gaussian filtering": n passes of odd
// widths wl or wl + 2, as many of each as brings the variance closest to sigma².
std::vector<int> boxWidthsFor(double sigma, int passes) {
    const double ideal = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const double lowerCount =
        (12 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) / (-4.0 * lower - 4);
    const int narrow = std::clamp(int(std::lround(lowerCount)), 0, passes);
    std::vector<int> widths(size_t(passes), lower + 2);
    std::fill_n(widths.begin(), narrow, lower);
    return widths;
}

BlurPasses passesFor(double sigma) {
    BlurPasses passes;
    if (!(sigma > 0)) return passes;
    if (sigma < smallestBoxedSigma) {
        passes.gaussianRadius = int(std::ceil(3 * sigma));
        passes.reach = passes.gaussianRadius;
        return passes;
    }
    passes.boxWidths = boxWidthsFor(sigma, 3);
    for (int width : passes.boxWidths) passes.reach += (width - 1) / 2;
    return passes;
}

cv::Mat blurredCopy(const cv::Mat& source, const BlurPasses& passes, double sigma) {
    cv::Mat result;
    if (passes.gaussianRadius > 0) {
        const int size = 2 * passes.gaussianRadius + 1;
        cv::GaussianBlur(source, result, cv::Size(size, size), sigma, sigma, cv::BORDER_REPLICATE);
        return result;
    }
    result = source;
    for (int width : passes.boxWidths) {
        cv::Mat next;
        cv::blur(result, next, cv::Size(width, width), cv::Point(-1, -1), cv::BORDER_REPLICATE);
        result = next;
    }
    return result;
}

cv::Rect cvRect(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// Index of the pixel that the block holding `pixel` samples, inside [low, high].
int blockSample(int pixel, double origin, double blockSize, int low, int high) {
    const double block = std::floor((pixel + 0.5 - origin) / blockSize);
    const double centre = origin + (block + 0.5) * blockSize;
    return std::clamp(int(std::floor(centre)), low, high);
}

}  // namespace

int blurReach(double sigma) { return passesFor(sigma).reach; }

QImage blurred(const QImage& image, const QRect& region, double sigma) {
    const BlurPasses passes = passesFor(sigma);
    const int reach = passes.reach;
    const QRect grown = region.adjusted(-reach, -reach, reach, reach);
    const QRect readable = grown & image.rect();
    if (readable.isEmpty()) return {};

    cv::Mat padded;
    cv::copyMakeBorder(pixels::constView(image)(cvRect(readable)), padded, readable.top() - grown.top(),
                       grown.bottom() - readable.bottom(), readable.left() - grown.left(),
                       grown.right() - readable.right(), cv::BORDER_REPLICATE);
    const cv::Mat result = blurredCopy(padded, passes, sigma);

    QImage output(region.size(), image.format());
    if (output.isNull()) return {};
    cv::Mat target = pixels::view(output);
    result(cv::Rect(reach, reach, region.width(), region.height())).copyTo(target);
    return output;
}

QImage pixellated(const QImage& image, const QRect& region, double blockSize, QPointF gridOrigin) {
    const QRect inside = region & image.rect();
    if (inside.isEmpty() || !(blockSize > 0)) return {};
    QImage output(inside.size(), image.format());
    if (output.isNull()) return {};

    std::vector<int> sampleColumns(size_t(inside.width()));
    for (int x = 0; x < inside.width(); ++x)
        sampleColumns[size_t(x)] =
            blockSample(inside.left() + x, gridOrigin.x(), blockSize, inside.left(), inside.right());

    const int bytesPerPixel = image.depth() / 8;
    for (int y = 0; y < inside.height(); ++y) {
        const int sampleRow = blockSample(inside.top() + y, gridOrigin.y(), blockSize, inside.top(), inside.bottom());
        const uchar* source = image.constScanLine(sampleRow);
        uchar* target = output.scanLine(y);
        for (int x = 0; x < inside.width(); ++x)
            std::memcpy(target + x * bytesPerPixel, source + sampleColumns[size_t(x)] * bytesPerPixel,
                        size_t(bytesPerPixel));
    }
    return output;
}

QImage reduced(const QImage& image, const QSize& size) {
    QImage output(size, image.format());
    if (output.isNull() || image.isNull()) return {};
    cv::Mat target = pixels::view(output);
    cv::resize(pixels::constView(image), target, target.size(), 0, 0, cv::INTER_AREA);
    return output;
}

void drawScaled(const QImage& source, const QRectF& from, QImage& target, const QRectF& to, const QRect& clip) {
    const QRect area = clip & target.rect();
    if (area.isEmpty() || source.isNull() || to.isEmpty() || from.isEmpty()) return;
    // The inverse map, target pixel index inside `area` to source position,
    // between pixel centres.
    const double scaleX = from.width() / to.width();
    const double scaleY = from.height() / to.height();
    const double offsetX = scaleX * (area.left() + 0.5 - to.left()) + from.left() - 0.5;
    const double offsetY = scaleY * (area.top() + 0.5 - to.top()) + from.top() - 0.5;
    const cv::Matx23d map(scaleX, 0, offsetX, 0, scaleY, offsetY);
    cv::Mat region = pixels::view(target)(cvRect(area));
    cv::warpAffine(pixels::constView(source), region, map, region.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
}

}  // namespace tavero::ImageOps::filters
