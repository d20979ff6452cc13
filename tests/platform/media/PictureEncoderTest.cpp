// The encoder's own memory from picture to picture, with the program's own
// setting of the C library: every large block is a mapping of its own.
#include "platform/media/PictureEncoder.h"
#include "platform/memory/AllocatorSettings.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tavero;
using namespace tavero::media;

TEST(PictureEncoderTest, LargeCodedPicturesReuseTheMemoryOfTheOnesBefore) {
    giveLargeBlocksBackWhenFreed();
    const QSize size(1280, 720);
    PictureEncoder encoder(size, false);
    // Noise codes into packets of a megabyte and more, as a changing 4K screen does.
    std::vector<QImage> pictures;
    for (quint32 seed = 1; seed <= 4; ++seed)
        pictures.push_back(fixtures::noise(size.width(), size.height(), seed).convertToFormat(QImage::Format_RGB32));
    long long coded = 0;
    const auto ready = [&](AVPacket* packet) { coded += packet->size; };
    const auto encode = [&](int from, int to) {
        for (int picture = from; picture < to; ++picture)
            encoder.encode(pictures[size_t(picture) % pictures.size()], picture * 3000, false, ready);
    };
    encode(0, 5);
    const long long before = test::minorFaults(), codedBefore = coded;
    encode(5, 25);
    const long long faults = test::minorFaults() - before, bytes = coded - codedBefore;
    ASSERT_GT(bytes, 20LL * 512 * 1024);
    EXPECT_LT(faults * 4096, bytes / 10) << faults << " pages mapped for " << bytes << " bytes coded";
}
