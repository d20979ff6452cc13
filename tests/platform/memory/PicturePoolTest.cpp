#include "platform/memory/PicturePool.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QSize size(640, 360);

}  // namespace

TEST(PicturePool, APictureLetGoOfLendsItsMemoryToTheNextAndAHeldOneKeepsItsOwn) {
    PicturePool pool(2);
    const uchar* memory = nullptr;
    {
        QImage picture = pool.take(size, QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), size);
        EXPECT_EQ(picture.format(), QImage::Format_ARGB32_Premultiplied);
        memory = picture.constBits();
        const QImage copy = picture;
        picture = QImage();
        EXPECT_NE(pool.take(size).constBits(), memory) << "a copy keeps the memory lent while it lives";
    }
    QImage first = pool.take(size), second = pool.take(size);
    QImage& reused = first.constBits() == memory ? first : second;
    EXPECT_EQ(reused.constBits(), memory) << "the memory came back with the last copy";
    reused.fill(Qt::red);
    EXPECT_EQ(reused.constBits(), memory) << "painting on the only copy keeps it in place";
}

TEST(PicturePool, KeepsTheLargerBlocksWhenItMayKeepFewAndPicturesOutliveIt) {
    QImage survivor;
    {
        PicturePool pool(1);
        QImage small = pool.take({320, 180}), large = pool.take(size);
        const uchar* largeMemory = large.constBits();
        small = QImage();
        large = QImage();
        survivor = pool.take({320, 180});
        EXPECT_EQ(survivor.constBits(), largeMemory) << "the larger block serves the smaller picture";
        survivor.fill(Qt::blue);
    }
    EXPECT_EQ(survivor.pixel(10, 10), QColor(Qt::blue).rgb()) << "its memory stays until it goes";
}
