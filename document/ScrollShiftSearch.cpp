#include "document/ScrollShiftSearch.h"

#include <opencv2/core/hal/hal.hpp>

#include <algorithm>
#include <limits>

namespace tavero::ImageOps {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Below this variance the sampled area is too flat to prove any alignment.
constexpr double minimumVariance = 30.0;

// About this many rows are compared per hypothesis, however tall the frame.
constexpr int rowsPerHypothesis = 96;

int columnMargin(int frameWidth, int greyWidth) {
    if (frameWidth > 15) return greyWidth / 16;
    if (frameWidth >= 9) return 1;
    return -1;
}

}  // namespace

ScrollShiftSearch::ScrollShiftSearch(const cv::Mat& previous, const cv::Mat& next, int frameWidth)
    : height_(previous.rows) {
    const int margin = columnMargin(frameWidth, previous.cols);
    if (height_ < 21 || margin < 0) return;
    const int firstColumn = margin;
    columns_ = std::max((previous.cols - margin - firstColumn + 1) / 2, 0);
    if (columns_ == 0) return;
    previous_ = sample(previous, firstColumn);
    next_ = sample(next, firstColumn);
}

ScrollShiftSearch::Samples ScrollShiftSearch::sample(const cv::Mat& grey, int firstColumn) const {
    Samples samples;
    samples.pixels.resize(std::size_t(height_) * columns_);
    samples.rowSums.resize(height_);
    samples.rowSquareSums.resize(height_);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* source = grey.ptr<std::uint8_t>(y) + firstColumn;
        std::uint8_t* packed = samples.pixels.data() + std::size_t(y) * columns_;
        std::int64_t sum = 0, squares = 0;
        for (int i = 0; i < columns_; ++i) {
            const int value = source[2 * i];
            packed[i] = std::uint8_t(value);
            sum += value;
            squares += value * value;
        }
        samples.rowSums[y] = sum;
        samples.rowSquareSums[y] = squares;
    }
    return samples;
}

int ScrollShiftSearch::rowMargin() const { return height_ > 27 ? height_ / 14 : 2; }

double ScrollShiftSearch::score(int shift, bool reversed, double ceiling) const {
    if (!usable()) return infinity;
    const Samples& earlier = reversed ? next_ : previous_;
    const Samples& later = reversed ? previous_ : next_;
    const int margin = rowMargin();
    const int end = height_ - shift - margin;
    if (end <= margin) return infinity;
    const int step = std::max((height_ - shift - 2 * margin) / rowsPerHypothesis, 1);
    const int rows = (end - margin + step - 1) / step;
    const double count = double(rows) * columns_;

    std::int64_t difference = 0, sum = 0, squares = 0;
    for (int y = margin; y < end; y += step) {
        const std::size_t p = std::size_t(y + shift) * columns_, q = std::size_t(y) * columns_;
        difference += cv::hal::normL1_(earlier.pixels.data() + p, later.pixels.data() + q, columns_);
        // The sum only grows: once past the ceiling, the hypothesis is lost.
        if (double(difference) / count > ceiling) return infinity;
        sum += earlier.rowSums[y + shift];
        squares += earlier.rowSquareSums[y + shift];
    }
    const double mean = double(sum) / count;
    const double variance = double(squares) / count - mean * mean;
    if (variance <= minimumVariance) return infinity;
    return double(difference) / count;
}

}  // namespace tavero::ImageOps
