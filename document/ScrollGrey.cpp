#include "document/ScrollGrey.h"

#include "document/ImageOps.h"

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavero::ImageOps::scrollgrey {

namespace {

// The source pixels one output column averages. Measured in units of 1/width
// of a source pixel, source pixel i covers [i·width, (i+1)·width) and output
// column j covers [j·sourceWidth, (j+1)·sourceWidth): every overlap is a
// whole number, so the weights are exact and the result is the same on
// every machine.
struct ColumnSpan {
    int first = 0;       // partly covered source pixel on the left
    int last = 0;        // partly covered source pixel on the right
    int firstWeight = 0;
    int lastWeight = 0;
};

std::vector<ColumnSpan> columnSpans(int sourceWidth, int width) {
    std::vector<ColumnSpan> spans(width);
    for (int j = 0; j < width; ++j) {
        const std::int64_t start = std::int64_t(j) * sourceWidth, end = start + sourceWidth;
        ColumnSpan& span = spans[j];
        span.first = int(start / width);
        span.last = int((end - 1) / width);
        span.firstWeight = int(std::min<std::int64_t>(std::int64_t(span.first + 1) * width, end) - start);
        span.lastWeight = span.last == span.first ? 0 : int(end - std::int64_t(span.last) * width);
    }
    return spans;
}

// Rounded division by a fixed divisor as one multiplication and a shift,
// far cheaper than a division in the loop below. With m = ceil(2^40 / d)
// the quotient is exact whenever n · d ≤ 2^40: here n < 2^24 (255 times a
// width of at most 32,000, plus half of it) and d ≤ 32,000 < 2^16.
class RoundedDivision {
public:
    explicit RoundedDivision(int divisor)
        : half_(std::uint64_t(divisor) / 2), multiplier_(((std::uint64_t(1) << 40) + divisor - 1) / divisor) {}
    std::uint8_t operator()(int dividend) const { return std::uint8_t(((dividend + half_) * multiplier_) >> 40); }

private:
    std::uint64_t half_;
    std::uint64_t multiplier_;
};

void narrowRow(const std::uint8_t* source, std::uint8_t* target, const std::vector<ColumnSpan>& spans, int width,
               const RoundedDivision& divide) {
    for (std::size_t j = 0; j < spans.size(); ++j) {
        const ColumnSpan& span = spans[j];
        int inner = 0;
        for (int i = span.first + 1; i < span.last; ++i) inner += source[i];
        // At most 255 · sourceWidth: an int holds it for every allowed width.
        target[j] = divide(source[span.first] * span.firstWeight + inner * width + source[span.last] * span.lastWeight);
    }
}

}  // namespace

cv::Mat of(const QImage& frame) {
    const QImage surface = frame.format() == surfaceFormat ? frame : frame.convertToFormat(surfaceFormat);
    const cv::Mat colour(surface.height(), surface.width(), CV_8UC4, const_cast<uchar*>(surface.constBits()),
                         std::size_t(surface.bytesPerLine()));
    cv::Mat grey;
    cv::cvtColor(colour, grey, cv::COLOR_RGBA2GRAY);
    return grey;
}

// OpenCV's area filter takes a slow general path for uneven ratios such as
// 1440 to 192; this one is exact and several times faster.
cv::Mat narrowed(const cv::Mat& grey, int width) {
    if (width >= grey.cols) return grey;
    const std::vector<ColumnSpan> spans = columnSpans(grey.cols, width);
    cv::Mat result(grey.rows, width, CV_8UC1);
    const RoundedDivision divide(grey.cols);
    cv::parallel_for_(cv::Range(0, grey.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y)
            narrowRow(grey.ptr<std::uint8_t>(y), result.ptr<std::uint8_t>(y), spans, width, divide);
    });
    return result;
}

// Narrowed first: the slow general filter then sees a small picture.
cv::Mat reduced(const cv::Mat& grey, cv::Size size) {
    const cv::Mat narrow = narrowed(grey, size.width);
    if (narrow.size() == size) return narrow;
    cv::Mat result;
    cv::resize(narrow, result, size, 0, 0, cv::INTER_AREA);
    return result;
}

}  // namespace tavero::ImageOps::scrollgrey
