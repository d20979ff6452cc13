#include "document/ImageFilters.h"
#include "document/ImageOps.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using namespace tavero::ImageOps;

namespace {

// The standard deviation of the blur that turned a sharp step at `edge` (dark
// to the left, light from `edge` on) into `row`: the spread of its slope.
double spreadOfStep(const QImage& blurred, int edge) {
    const int row = blurred.height() / 2;
    double weight = 0, moment = 0;
    for (int x = 0; x + 1 < blurred.width(); ++x) {
        const double slope = qRed(blurred.pixel(x + 1, row)) - qRed(blurred.pixel(x, row));
        const double offset = x + 0.5 - (edge - 0.5);
        weight += slope;
        moment += slope * offset * offset;
    }
    return std::sqrt(moment / weight);
}

}  // namespace

TEST(Blur, ReadingOnlyTheReachGivesTheSameRegionAsBlurringEverything) {
    const QImage noise = fixtures::noise(500, 300);
    for (double sigma : {1.0, 2.5, 8.0, 24.0, 96.0}) {
        const QRect region(130, 40, 170, 90);
        const QImage whole = filters::blurred(noise, noise.rect(), sigma);
        EXPECT_EQ(filters::blurred(noise, region, sigma), whole.copy(region)) << "sigma " << sigma;
        const QRect edge(0, 200, 80, 100);
        EXPECT_EQ(filters::blurred(noise, edge, sigma), whole.copy(edge)) << "sigma " << sigma << " at the edge";
    }
}

TEST(Blur, SpreadsLikeAGaussianOfTheGivenSigma) {
    for (double sigma : {1.0, 2.0, 4.0, 12.0, 24.0, 60.0, 96.0}) {
        const int width = 10 * int(std::ceil(sigma)) + 41;
        QImage step(width, 9, ImageOps::surfaceFormat);
        step.fill(Qt::black);
        for (int y = 0; y < step.height(); ++y)
            for (int x = width / 2; x < width; ++x) step.setPixelColor(x, y, Qt::white);
        const QImage blurred = filters::blurred(step, step.rect(), sigma);
        EXPECT_NEAR(spreadOfStep(blurred, width / 2), sigma, 0.04 * sigma + 0.1) << "sigma " << sigma;
    }
}
