#include "tests/document/ui/CanvasFixture.h"

#include <QPainter>
#include <QTransform>

using namespace tavero;
using test::filledImage;
using test::textLabel;

namespace {

Mark rectangle(QPointF from, QPointF to, Ink ink = {1, 0, 0, 1}) {
    Mark mark;
    mark.tool = MarkTool::rectangle;
    mark.ink = ink;
    mark.width = 6;
    mark.points = {from, to};
    return mark;
}

// One mark of each kind that reads or darkens the picture, over a picture
// that is not flat, so a misplaced or missing mark changes pixels.
QList<Mark> everyKindOfMark() {
    Mark stroke;
    stroke.tool = MarkTool::pen;
    stroke.width = 12;
    stroke.points = {{20, 200}, {60, 150}, {120, 260}, {200, 180}};
    Mark highlight;
    highlight.tool = MarkTool::highlight;
    highlight.ink = {1, 0.9f, 0, 1};
    highlight.points = {{150, 20}, {380, 80}};
    Mark cover;
    cover.tool = MarkTool::pixelate;
    cover.points = {{220, 120}, {380, 280}};
    cover.obscure = ObscureSettings{ObscureStyle::frosted, 12, 0.3};
    return {rectangle({30, 30}, {140, 110}), stroke, highlight, textLabel(QStringLiteral("检查 Check"), 28), cover};
}

QImage stripes(int width, int height) {
    QImage picture = filledImage(width, height);
    QPainter painter(&picture);
    for (int x = 0; x < width; x += 16) painter.fillRect(x, 0, 8, height, QColor(40, 120, 200));
    return picture;
}

struct CanvasLayers : test::CanvasTest {
    // The canvas as it paints itself now, settled or not.
    QImage now() {
        QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        canvas.render(&image, {}, {}, QWidget::DrawWindowBackground);
        return image;
    }
    QImage settled() {
        settle();
        return now();
    }
    // The part of a shot that shows the 400 × 300 picture at its actual size.
    static QImage picturePart(const QImage& shot) {
        return shot.copy(QRect(imageOrigin.toPoint(), QSize(400, 300)));
    }
};

}  // namespace

TEST_F(CanvasLayers, TheSettledPictureIsThePictureWithItsMarksBurntIn) {
    const QImage picture = stripes(400, 300);
    document.open(picture, QStringLiteral("条纹"), everyKindOfMark());
    const QImage expected = ImageOps::render(picture, everyKindOfMark()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(picturePart(settled()), expected);

    document.select(document.marks().first().id);
    document.deleteSelected();
    const Mark added = rectangle({250, 40}, {350, 90}, {0, 0, 1, 1});
    document.add(added);
    EXPECT_EQ(picturePart(settled()), ImageOps::render(picture, document.marks()).convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << "and again after a change";
}

TEST_F(CanvasLayers, AMarkJustDrawnShowsBeforeTheLayerWithItArrives) {
    document.open(stripes(400, 300), QStringLiteral("条纹"), everyKindOfMark());
    settle();
    document.changeInk({0, 0.8f, 0, 1});
    draw(MarkTool::rectangle, {40, 180}, {160, 280});
    ASSERT_FALSE(canvas.showsSettledPicture()) << "the layer with the new mark is still being drawn";
    EXPECT_EQ(now().pixelColor(at({40, 230})), QColor(0, 204, 0)) << "its left edge";
}

TEST_F(CanvasLayers, AMovedMarkShowsWhereItIsAndTheSettledPictureHasItOnlyThere) {
    const Mark frame = rectangle({40, 40}, {140, 120});
    document.open(filledImage(400, 300), QStringLiteral("白"), {frame});
    settle();
    document.choose(MarkTool::move);
    press({40, 80});
    moveTo({140, 80});
    moveTo({240, 80});
    EXPECT_EQ(now().pixelColor(at({240, 80})), QColor(Qt::red)) << "where the drag has taken it";
    release({240, 80});
    EXPECT_EQ(now().pixelColor(at({240, 80})), QColor(Qt::red)) << "and still after the release";

    const QImage shot = settled();
    EXPECT_EQ(shot.pixelColor(at({240, 80})), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(at({40, 80})), QColor(Qt::white)) << "nothing left where it was";
}

TEST_F(CanvasLayers, LabelsFromOutsideThePartShownAreDrawnWhereTheyReachIntoIt) {
    // Enlarged four times, the canvas shows image pixels 125 to 275 across and 100 to 200 down.
    Mark fromTheLeft = textLabel(QStringLiteral("田田田田田田田"), 40, {1, 0, 0, 1});
    fromTheLeft.points = {QPointF(20, 110)};
    Mark fromAbove = textLabel(QStringLiteral("田\n田\n田\n田\n田"), 40, {0, 0, 1, 1});
    fromAbove.points = {QPointF(230, 0)};
    const QImage picture = filledImage(400, 300);
    const auto enlarged = [&](const QList<Mark>& marks) {
        QImage drawn = ImageOps::context(600, 400);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        painter.setTransform(QTransform::fromTranslate(-500, -400).scale(4, 4));
        ImageOps::marks(marks, picture, painter);
        return drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    document.open(picture, QStringLiteral("放大"), {fromTheLeft, fromAbove});
    document.setZoom(4);
    const QImage shot = settled();
    EXPECT_EQ(shot, enlarged({fromTheLeft, fromAbove}));
    EXPECT_NE(shot, enlarged({fromAbove})) << "the label from the left shows";
    EXPECT_NE(shot, enlarged({fromTheLeft})) << "and so does the one from above";
}

TEST(CanvasLayerRenderer, OnlyTheLayerOfTheLatestRequestIsEverKept) {
    QObject owner;
    const QImage picture = stripes(400, 300);
    CanvasFrame heavy{picture.cacheKey(), QSize(600, 400), 1, QRectF(100, 50, 400, 300), {}};
    for (int index = 0; index < 400; ++index) {
        Mark stroke;
        stroke.tool = MarkTool::pen;
        stroke.width = 36;
        for (int point = 0; point < 300; ++point) stroke.points.append(QPointF((point * 7 + index) % 400, point % 300));
        heavy.marks.append(stroke);
    }
    CanvasFrame light = heavy;
    light.marks = {rectangle({10, 10}, {90, 90})};

    QList<CanvasFrame> arrived;
    std::optional<CanvasLayerRenderer> renderer;
    renderer.emplace(&owner, [&] { arrived.append(renderer->layer()->frame); });
    renderer->request(heavy, picture);
    renderer->request(light, picture);
    renderer->request(light, picture);  // the same frame again starts nothing
    ASSERT_TRUE(QTest::qWaitFor([&] { return renderer->settled(); }, 10'000));
    ASSERT_EQ(arrived.size(), 1);
    EXPECT_EQ(arrived.first(), light) << "the layer asked for first never showed";

    renderer->request(heavy, picture);
    ASSERT_TRUE(QTest::qWaitFor([&] { return renderer->settled(); }, 10'000));
    EXPECT_EQ(renderer->layer()->frame, heavy);
    QTest::qWait(50);
    EXPECT_EQ(arrived.size(), 2);

    ScaledImageCache scaled;
    EXPECT_EQ(renderer->layer()->pixels, canvasLayers::render(heavy, picture, scaled, [] { return false; }))
        << "the layer is drawn as on the main thread";
}
