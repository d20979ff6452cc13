#pragma once

#include <QImage>

#include <opencv2/core.hpp>

// The grey pictures the scrolling match compares. Pure functions, called on
// the scrolling session's comparison thread.
namespace tavero::ImageOps::scrollgrey {

// An 8-bit grey copy of `frame` at its own size. The colour channels are
// premultiplied, so this is the frame composited over black, as drawn on a
// cleared grey surface.
cv::Mat of(const QImage& frame);

// `grey` with its width reduced to `width` columns by area averaging, every
// row kept. Each output row depends on its own source row only, so two
// frames of one page give byte-identical rows wherever they show the same
// content: the overlap search relies on that to find its exact zero.
cv::Mat narrowed(const cv::Mat& grey, int width);

// `grey` reduced to `size` by area averaging in both directions.
cv::Mat reduced(const cv::Mat& grey, cv::Size size);

}  // namespace tavero::ImageOps::scrollgrey
