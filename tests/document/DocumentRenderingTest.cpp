#include "document/ShotDocument.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tavero;
using test::shapeMark;

namespace {
struct Crop : testing::Test {
    Crop() {
        document.open(fixtures::noise(200, 120), QStringLiteral("截图"));
        document.add(marked);
    }

    Mark marked = shapeMark(MarkTool::redact);
    ShotDocument document;
};
}  // namespace

TEST(Rendered, AsksForAPictureOnAnEmptyDocument) {
    ShotDocument document;
    test::expectShotError([&] { document.rendered(); }, QStringLiteral("请先截图或打开一张图片。"));
}

TEST_F(Crop, BurnsTheMarksInAndKeepsTheWholePixelsOfTheRectangle) {
    const QImage flattened = document.rendered();
    ASSERT_NE(flattened, document.image()) << "the mark must show";
    const QImage original = document.image();

    document.crop({10.4, 20.6, 100.2, 50});
    EXPECT_EQ(document.image(), flattened.copy(10, 20, 101, 51));
    EXPECT_TRUE(document.marks().isEmpty());

    document.undo();
    EXPECT_EQ(document.image(), original);
    EXPECT_EQ(document.marks(), QList<Mark>{marked}) << "the marks are editable again";
}

TEST_F(Crop, CutsTheRectangleAtTheImageEdge) {
    const QImage flattened = document.rendered();
    document.crop(QRectF(250, 140, -100, -100));
    EXPECT_EQ(document.image(), flattened.copy(150, 40, 50, 80));
}

TEST_F(Crop, LeavesTheDocumentAloneOutsideTheImage) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QRectF unusable[] = {{300, 10, 20, 20}, {-50, -50, 50, 50}, {10, 10, 0, 30}, {1e12, 1e12, 5, 5}, {nan, 0, 10, 10},
                               {0, 0, std::numeric_limits<double>::infinity(), 10}};
    const qint64 revision = document.revision();
    for (const QRectF& rect : unusable) {
        document.crop(rect);
        EXPECT_EQ(document.revision(), revision) << rect.x() << ", " << rect.y();
    }
    EXPECT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.image().size(), QSize(200, 120));
}
