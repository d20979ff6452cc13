#include "document/PenStroke.h"
#include "tests/document/MarkFixtures.h"

#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using test::filled;

namespace {

const QColor paper(250, 248, 240);
const QColor red(248, 71, 64);
constexpr QSize pictureSize(240, 160);

// How a stroke looked before: its whole outline filled, as a painter strokes a
// path.
void strokeOutline(const QList<QPointF>& points, double width, const QColor& ink, QPainter& painter) {
    QPainterPath path(points.first());
    for (const QPointF& point : points.sliced(1)) path.lineTo(point);
    painter.setPen(QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

using Stroke = void (*)(const QList<QPointF>&, double, const QColor&, QPainter&);

// Where a stroke is drawn: through `transform`, within `clip` (none when
// empty), on a paper of `size` points at `scale` pixels a point.
struct View {
    View(QTransform transform = {}, QRectF clip = {}, double scale = 1, QSize size = pictureSize)
        : transform(transform), clip(clip), scale(scale), size(size) {}
    QTransform transform;
    QRectF clip;
    double scale;
    QSize size;
};

QImage drawn(Stroke stroke, const QList<QPointF>& points, double width, const QColor& ink, const View& view) {
    QImage picture = filled(int(view.size.width() * view.scale), int(view.size.height() * view.scale), paper);
    picture.setDevicePixelRatio(view.scale);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!view.clip.isEmpty()) painter.setClipRect(view.clip);
    painter.setTransform(view.transform);
    stroke(points, width, ink, painter);
    return picture;
}

int apart(QRgb one, QRgb other) {
    return std::max({std::abs(qRed(one) - qRed(other)), std::abs(qGreen(one) - qGreen(other)),
                     std::abs(qBlue(one) - qBlue(other))});
}

// Whether the pixel and its eight neighbours are alike: inside the stroke or
// clear of it, not on its antialiased edge.
bool settled(const QImage& image, int x, int y) {
    for (int row = std::max(y - 1, 0); row <= std::min(y + 1, image.height() - 1); ++row)
        for (int column = std::max(x - 1, 0); column <= std::min(x + 1, image.width() - 1); ++column)
            if (image.pixel(column, row) != image.pixel(x, y)) return false;
    return true;
}

// The pixels of the outline inside the stroke and clear of it, and alike on
// its edges, where the antialiased pieces meet.
void expectLooksAsItsOutline(const QList<QPointF>& points, double width, const QColor& ink, const View& view = {}) {
    const QImage expected = drawn(strokeOutline, points, width, ink, view);
    const QImage actual = drawn(ImageOps::penStroke, points, width, ink, view);
    int inked = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            inked += expected.pixel(x, y) != paper.rgb();
            const int off = apart(expected.pixel(x, y), actual.pixel(x, y));
            if (settled(expected, x, y))
                ASSERT_LE(off, 12) << "inside or clear of the stroke at " << x << ", " << y;
            else
                ASSERT_LE(off, 72) << "on its edge at " << x << ", " << y;
        }
    EXPECT_GT(inked, 0);
}

// Handwriting: loops that cross themselves, a point every few pixels.
QList<QPointF> handwriting(QPointF from, double size) {
    QList<QPointF> points;
    for (double turn = 0; turn < 6 * M_PI; turn += 0.12)
        points.append(from +
                      size * QPointF(turn / 20 - std::sin(turn) / 8, std::sin(turn / 3) / 10 - std::cos(turn) / 6));
    return points;
}

const QTransform fitted = QTransform::fromScale(0.15, 0.15);
const QTransform zoomedEightTimes = QTransform::fromScale(8, 8) * QTransform::fromTranslate(-200, -120);

}  // namespace

TEST(PenStroke, LooksAsItsOutlineAtEveryWidthAndZoom) {
    for (const double width : {1.0, 2.0, 3.0, 5.0, 8.0, 12.0, 18.0, 36.0}) {
        SCOPED_TRACE(width);
        expectLooksAsItsOutline(handwriting(QPointF(20, 80), 220), width, red);
        expectLooksAsItsOutline(handwriting(QPointF(100, 400), 1400), width, red, {fitted});
        expectLooksAsItsOutline(handwriting(QPointF(0, 20), 120), width, red, {zoomedEightTimes});
    }
    expectLooksAsItsOutline({{-1e5, 10}, {1e5, 40}, {30, -1e5}}, 3, red, {zoomedEightTimes});
}

TEST(PenStroke, LooksAsItsOutlineThroughAClipAndOnAPictureOfTwoPixelsAPoint) {
    const QRectF clip(50, 30, 120, 90);
    expectLooksAsItsOutline(handwriting(QPointF(20, 80), 220), 18, red, {{}, clip});
    expectLooksAsItsOutline(handwriting(QPointF(20, 80), 220), 18, red, {{}, clip, 2});
    expectLooksAsItsOutline(handwriting(QPointF(100, 400), 1400), 18, red, {fitted, clip, 2});
}

TEST(PenStroke, ATranslucentStrokeIsNoDarkerWhereItCrossesItself) {
    QColor translucent = red;
    translucent.setAlphaF(0.5f);
    expectLooksAsItsOutline(handwriting(QPointF(20, 80), 220), 18, translucent);
    expectLooksAsItsOutline(handwriting(QPointF(20, 80), 220), 18, translucent, {{}, QRectF(50, 30, 120, 90), 2});
    expectLooksAsItsOutline(handwriting(QPointF(0, 20), 120), 8, translucent, {zoomedEightTimes});
    // Wider than the layers it is laid on through.
    expectLooksAsItsOutline(handwriting(QPointF(20, 80), 1200), 12, translucent, {{}, {}, 1, QSize(1300, 200)});
}

TEST(PenStroke, AHairlineAndRepeatedPointsLookAsBefore) {
    expectLooksAsItsOutline(handwriting(QPointF(20, 80), 220), 0, red);
    QList<QPointF> repeated;
    for (const QPointF& point : handwriting(QPointF(20, 80), 220)) repeated << point << point;
    expectLooksAsItsOutline(repeated, 12, red);
}

TEST(PenStroke, ALineRetracedInSmallStepsLooksAsItsOutline) {
    QList<QPointF> retraced;
    for (double x = 20; x < 200; x += 0.3) retraced.append(QPointF(x, 60 + x / 10));
    for (double x = 200; x > 60; x -= 0.7) retraced.append(QPointF(x, 60 + x / 10));
    for (double x = 60; x < 120; x += 0.3) retraced.append(QPointF(x, 60 + x / 10 + std::sin(x) / 100));
    retraced.append(QPointF(120, 140));
    expectLooksAsItsOutline(retraced, 12, red);
    expectLooksAsItsOutline(retraced, 2, red, {QTransform::fromScale(8, 8) * QTransform::fromTranslate(-600, -520)});
}

// Drawn on layers of its own, as a stroke that covers its area many times
// over is.
TEST(PenStroke, ChordsThroughOneMiddleLookAsTheirOutline) {
    QList<QPointF> chords;
    for (int chord = 0; chord < 120; ++chord) {
        const double angle = chord * (M_PI + 0.05);
        chords.append(QPointF(120 + 70 * std::cos(angle), 80 + 70 * std::sin(angle)));
    }
    expectLooksAsItsOutline(chords, 12, red);
    expectLooksAsItsOutline(chords, 12, red, {{}, QRectF(60, 40, 100, 60), 2});
}

TEST(PenStroke, AStrokeWhosePointsCoincideDrawsNothing) {
    const QList<QPointF> tap{{60, 60}, {60, 60}, {60, 60}};
    EXPECT_EQ(drawn(ImageOps::penStroke, tap, 12, red, {}), filled(pictureSize.width(), pictureSize.height(), paper));
    EXPECT_EQ(drawn(strokeOutline, tap, 12, red, {}), filled(pictureSize.width(), pictureSize.height(), paper));
}
