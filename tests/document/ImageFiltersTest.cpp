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

TEST(Scaling, ReductionAveragesWhatEachPixelCovers) {
    QImage checks(64, 32, ImageOps::surfaceFormat);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) checks.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QImage half(32, 16, ImageOps::surfaceFormat);
    filters::reduceInto(checks, half);
    for (const QPoint at : {QPoint(0, 0), QPoint(17, 9), QPoint(31, 15)}) EXPECT_NEAR(qRed(half.pixel(at)), 128, 1);
}

TEST(Scaling, DrawsAFractionalPartStretchedIntoTheClipOnly) {
    QImage ramp(100, 4, ImageOps::surfaceFormat);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 100; ++x) ramp.setPixel(x, y, qRgb(2 * x, 0, 0));
    QImage target(40, 4, ImageOps::surfaceFormat);
    target.fill(Qt::blue);
    // Source x 10.5 … 30.5 onto target x 0 … 40: target pixel t shows 10.5 + (t + 0.5) / 2.
    filters::drawScaled(ramp, QRectF(10.5, 0, 20, 4), target, QRectF(0, 0, 40, 4), QRect(0, 0, 30, 4));
    for (int t : {0, 7, 29}) EXPECT_NEAR(qRed(target.pixel(t, 1)), 2 * (10.5 + (t + 0.5) / 2 - 0.5), 1.01) << t;
    EXPECT_EQ(target.pixel(30, 1), QColor(Qt::blue).rgba()) << "outside the clip";

    // Beyond the source's border its edge pixels repeat.
    filters::drawScaled(ramp, QRectF(90, 0, 20, 4), target, QRectF(0, 0, 40, 4), target.rect());
    EXPECT_EQ(qRed(target.pixel(39, 1)), 198);
}

TEST(Scaling, SamplesBothDirectionsAndEveryChannelBetweenPixelCentres) {
    QImage ramps(64, 48, ImageOps::surfaceFormat);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ramps.setPixel(x, y, qRgba(3 * x, 5 * y, 2 * x + 2 * y, 255));
    QImage target(50, 40, ImageOps::surfaceFormat);
    // Source (7.25, 3.6) … (37.25, 27.6) onto the whole target: 0.6 source pixels a target pixel.
    filters::drawScaled(ramps, QRectF(7.25, 3.6, 30, 24), target, QRectF(target.rect()), target.rect());
    for (const QPoint at : {QPoint(0, 0), QPoint(13, 29), QPoint(49, 39), QPoint(31, 4)}) {
        const double x = 7.25 + (at.x() + 0.5) * 0.6 - 0.5, y = 3.6 + (at.y() + 0.5) * 0.6 - 0.5;
        const QRgb pixel = target.pixel(at);
        EXPECT_NEAR(qRed(pixel), 3 * x, 1.01) << at.x() << "," << at.y();
        EXPECT_NEAR(qGreen(pixel), 5 * y, 1.01) << at.x() << "," << at.y();
        EXPECT_NEAR(qBlue(pixel), 2 * x + 2 * y, 1.01) << at.x() << "," << at.y();
        EXPECT_EQ(qAlpha(pixel), 255);
    }
}
