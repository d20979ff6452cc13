#include "document/ScrollGrey.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tavero::ImageOps;

namespace {

// The exact area average of source pixels [j·W/w, (j+1)·W/w), rounded half up.
int expectedAverage(const std::uint8_t* row, int sourceWidth, int width, int j) {
    long long sum = 0;  // in units of 1/width of a pixel
    for (int i = 0; i < sourceWidth; ++i) {
        const long long from = std::max<long long>(1LL * i * width, 1LL * j * sourceWidth);
        const long long to = std::min<long long>(1LL * (i + 1) * width, 1LL * (j + 1) * sourceWidth);
        if (to > from) sum += row[i] * (to - from);
    }
    return int((2 * sum + sourceWidth) / (2LL * sourceWidth));
}

cv::Mat randomGrey(int width, int height) {
    cv::Mat grey(height, width, CV_8UC1);
    QRandomGenerator random(width);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) grey.at<std::uint8_t>(y, x) = std::uint8_t(random.bounded(256));
    return grey;
}

}  // namespace

TEST(ScrollGrey, NarrowingIsTheExactAreaAverageOfEachRow) {
    for (int sourceWidth : {193, 241, 1440, 1512, 2880, 32000}) {
        const cv::Mat grey = randomGrey(sourceWidth, 3);
        const cv::Mat narrow = scrollgrey::narrowed(grey, 192);
        ASSERT_EQ(narrow.size(), cv::Size(192, 3));
        for (int y = 0; y < 3; ++y)
            for (int j = 0; j < 192; ++j)
                ASSERT_EQ(narrow.at<std::uint8_t>(y, j), expectedAverage(grey.ptr<std::uint8_t>(y), sourceWidth, 192, j))
                    << sourceWidth << " wide, row " << y << ", column " << j;
    }
}
