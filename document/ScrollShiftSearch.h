#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <vector>

namespace tavero::ImageOps {

// Scores row-shift hypotheses between two grey frames of one scrolling
// capture. Only the sample columns (every second one between the margins)
// are kept, packed into rows so each comparison is a run of adjacent bytes.
// Pure data: built and used on the scrolling session's comparison thread.
class ScrollShiftSearch {
public:
    // `previous` and `next` are 8-bit grey buffers of equal size, at least
    // 21 rows high; `frameWidth` is the width of the frames they came from.
    ScrollShiftSearch(const cv::Mat& previous, const cv::Mat& next, int frameWidth);

    // False when the frames are too narrow to sample at all.
    bool usable() const { return columns_ > 0; }
    int height() const { return height_; }
    int maxShift() const { return (3 * height_) / 4; }

    // The mean absolute difference of the sampled pixels when the content
    // moved up by `shift` rows from `previous` to `next` (`reversed`: from
    // `next` to `previous`). +infinity for a featureless area, and as soon as
    // the mean is known to end above `ceiling`.
    double score(int shift, bool reversed, double ceiling) const;

private:
    struct Samples {
        std::vector<std::uint8_t> pixels;  // height_ rows of columns_ bytes
        std::vector<std::int64_t> rowSums;
        std::vector<std::int64_t> rowSquareSums;
    };

    Samples sample(const cv::Mat& grey, int firstColumn) const;
    int rowMargin() const;

    int height_ = 0;
    int columns_ = 0;
    Samples previous_;
    Samples next_;
};

}  // namespace tavero::ImageOps
