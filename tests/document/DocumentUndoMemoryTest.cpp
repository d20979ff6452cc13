#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/Memory.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <iostream>

using namespace tavero;

// Thirty rotations of a 40-million-pixel picture: the history keeps the
// thirty pictures before the current one, and snapshots copy none of them.
TEST(UndoMemory, ThirtyRotationsOfTheLargestPictureKeepOnlyTheHistory) {
    constexpr int width = 8000;
    constexpr int height = 5000;
    constexpr long long pictureBytes = 4LL * width * height;

    const long long growth = test::peakMemoryGrowth([] {
        ShotDocument document;
        document.open(test::filledImage(width, height), QStringLiteral("大图"));
        for (int turn = 0; turn < 30; ++turn)
            document.replace(ImageOps::transformed(document.rendered(), true, false));
        if (document.image().size() != QSize(width, height) || test::undoDepth(document) != 30) _exit(1);
    });

    ASSERT_GT(growth, 0) << "the rotations failed";
    std::cout << "peak memory growth for 30 rotations of 8000x5000: " << growth / (1024 * 1024) << " MiB ("
              << double(growth) / pictureBytes << " pictures)\n";
    RecordProperty("peakMemoryMiB", int(growth / (1024 * 1024)));
    // Thirty-one pictures live at the end; one rotation has two more in flight.
    EXPECT_LT(growth, 34 * pictureBytes);
}
