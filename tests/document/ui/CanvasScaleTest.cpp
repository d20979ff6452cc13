#include "document/ShotDocument.h"
#include "document/ui/CanvasView.h"
#include "tests/document/DocumentFixtures.h"

#include <gtest/gtest.h>

using namespace tavero;

// Runs with a backing scale of 2 (QT_SCALE_FACTOR=2), as on a high-density display.
TEST(CanvasOnADenseDisplay, ShowsOneImagePixelPerDevicePixelAtMost) {
    ShotDocument document;
    document.open(test::filledImage(400, 300), QStringLiteral("截图"));
    CanvasView canvas(document);
    canvas.resize(1000, 800);
    canvas.show();
    ASSERT_EQ(canvas.devicePixelRatioF(), 2.0);

    EXPECT_EQ(canvas.imageRect(), QRectF(400, 325, 200, 150)) << "never enlarged beyond its actual pixels";
    EXPECT_EQ(canvas.point({500, 400}), QPointF(200, 150));
    document.setZoom(2);
    EXPECT_EQ(canvas.imageRect().size(), QSizeF(400, 300));

    QImage shot(canvas.size() * 2, QImage::Format_ARGB32_Premultiplied);
    shot.setDevicePixelRatio(2);
    canvas.render(&shot);
    EXPECT_EQ(shot.pixelColor(1000, 800), QColor(Qt::white)) << "the picture in the middle";
}
