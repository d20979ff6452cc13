#include "tests/document/ui/CanvasFixture.h"

#include <QPainter>

using namespace tavero;
using test::filledImage;
using test::textLabel;

namespace {

struct CanvasPainting : test::CanvasTest {
    // The canvas as it paints itself once settled, without the inline editor over it.
    QImage shot() {
        settle();
        QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        canvas.render(&image, {}, {}, QWidget::DrawWindowBackground);
        return image;
    }

    // Where an image pixel is shown, whatever the scale.
    QPointF shownAt(QPointF imagePoint) const {
        const QRectF shown = canvas.imageRect();
        return shown.topLeft() + imagePoint * (shown.width() / document.image().width());
    }
};

const QColor background(232, 237, 235);  // sRGB (0.91, 0.93, 0.92)

bool near(QColor a, QColor b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of `area` close to `color`.
int countNear(const QImage& image, const QRect& area, QColor color, int tolerance = 40) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) count += near(image.pixelColor(x, y), color, tolerance);
    return count;
}

}  // namespace

TEST_F(CanvasPainting, ThePictureSitsOnTheBackgroundOverAShadow) {
    document.open(filledImage(400, 300, QColor(30, 90, 200)), QStringLiteral("蓝"));
    const QImage image = shot();
    EXPECT_TRUE(near(image.pixelColor(10, 10), background));
    EXPECT_TRUE(near(image.pixelColor(300, 200), QColor(30, 90, 200)));
    const QColor underneath = image.pixelColor(300, 50 + 300 + 6);
    EXPECT_LT(underneath.lightness(), background.lightness() - 5) << "the shadow falls below the picture";
    EXPECT_TRUE(near(image.pixelColor(300, 50 - 20), background, 4)) << "and hardly above it";
}

TEST_F(CanvasPainting, TheLabelBeingTypedIsLeftToTheField) {
    document.open(filledImage(800, 600), QStringLiteral("截图"));  // reduced to 0.587
    const Mark label = textLabel(QStringLiteral("田田田"), 64, {1, 0, 0, 1});
    document.add(label);
    const QRect labelArea = QRectF(shownAt(label.points.first()), shownAt(label.points.first() + QPointF(190, 70))).toRect();
    EXPECT_GT(countNear(shot(), labelArea, Qt::red), 100);

    document.choose(MarkTool::text);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, shownAt(label.points.first() + QPointF(10, 10)).toPoint());
    ASSERT_TRUE(canvas.textEditor());
    EXPECT_EQ(countNear(shot(), labelArea, Qt::red), 0);
    type(canvas.textEditor(), QStringLiteral("田"));
    EXPECT_EQ(countNear(shot(), labelArea, Qt::red), 0) << "nor while it changes";
}

TEST_F(CanvasPainting, AReducedPictureAndItsMarksFollowEveryChange) {
    QImage picture = filledImage(4000, 2000);
    QPainter(&picture).fillRect(0, 0, 400, 2000, Qt::black);
    document.open(picture, QStringLiteral("大图"));  // reduced to 0.138
    Mark frame;
    frame.tool = MarkTool::rectangle;
    frame.ink = {1, 0, 0, 1};
    frame.width = 40;
    frame.points = {{500, 500}, {1500, 1500}};
    document.add(frame);
    const QPoint oldEdge = shownAt({500, 1000}).toPoint();
    const QPoint newEdge = shownAt({1500, 1000}).toPoint();
    const QImage before = shot();
    EXPECT_TRUE(near(before.pixelColor(shownAt({200, 1000}).toPoint()), Qt::black));
    EXPECT_TRUE(near(before.pixelColor(oldEdge), Qt::red, 60));

    document.setMarkPoints(frame.id, {{1500, 500}, {2500, 1500}});
    QImage part(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    const QRect moved(newEdge - QPoint(10, 40), QSize(20, 80));
    canvas.render(&part, moved.topLeft(), QRegion(moved), QWidget::DrawWindowBackground);
    EXPECT_TRUE(near(part.pixelColor(newEdge), Qt::red, 60)) << "a part repainted while the mark moves";

    QImage whole = shot();
    EXPECT_TRUE(near(whole.pixelColor(oldEdge), Qt::white));
    EXPECT_TRUE(near(whole.pixelColor(newEdge), Qt::red, 60));

    document.undo();
    EXPECT_TRUE(near(shot().pixelColor(newEdge), Qt::white)) << "undo took the mark away";
}

TEST_F(CanvasPainting, ACropDragIsOutlinedInTeal) {
    document.choose(MarkTool::crop);
    press({50, 50});
    moveTo({250, 200});
    const QImage image = shot();
    release({50, 50});
    const QColor teal = Ink::teal.color();
    EXPECT_GT(countNear(image, QRect(150, 99, 200, 3), teal), 60) << "dashes along the top edge";
    EXPECT_EQ(countNear(image, QRect(160, 110, 180, 130), teal), 0) << "nothing inside";
}
