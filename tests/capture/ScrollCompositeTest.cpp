#include "capture/ScrollComposite.h"
#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QImage plain(int width, int height) {
    QImage image(width, height, ImageOps::surfaceFormat);
    image.fill(Qt::gray);
    return image;
}

TEST(ScrollCompositeTest, JoinsAsCombineDoesWhateverTheOverlap) {
    const QImage first = fixtures::noise(120, 80, 1);
    const QImage second = fixtures::noise(120, 80, 2);
    const QImage narrow = fixtures::noise(90, 80, 3);
    for (int overlap : {-5, 0, 1, 37, 79, 500}) {
        const ScrollComposite joined = ScrollComposite(first).joined(second, overlap).joined(narrow, overlap);
        const QImage expected =
            ImageOps::combine(ImageOps::combine(first, second, false, overlap), narrow, false, overlap);
        EXPECT_EQ(joined.height(), expected.height()) << overlap;
        EXPECT_TRUE(test::samePixels(joined.image(), expected)) << "overlap " << overlap;
    }
}

TEST(ScrollCompositeTest, AJoinBeyondTheLimitsIsRefusedAndLeavesTheCompositeAsItWas) {
    const QImage tall = plain(1200, 16'000);
    const ScrollComposite composite(tall);
    const ScrollComposite twice = composite.joined(tall, 0);
    EXPECT_EQ(twice.height(), 32'000);
    try {
        twice.joined(plain(1200, 2), 0);
        FAIL() << "more than 32,000 rows";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), ImageOps::messages::tooLarge());
    }
    const QImage wide = plain(4000, 9000);
    EXPECT_THROW(ScrollComposite(wide).joined(wide, 0).joined(wide, 0), ShotError) << "more than 40,000,000 pixels";
    EXPECT_EQ(twice.height(), 32'000);
    EXPECT_EQ(composite.height(), 16'000);
}

}  // namespace
