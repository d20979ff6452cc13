#include "document/LabelSizes.h"
#include "document/OpenShotRequests.h"
#include "tests/document/MarkFixtures.h"
#include "tests/document/ui/CanvasFixture.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QWheelEvent>

using namespace tavero;
using test::CanvasTest;
using test::filledImage;
using test::shapeMark;
using test::textLabel;

namespace {

using CanvasGeometry = CanvasTest;
using Drawing = CanvasTest;
using Selecting = CanvasTest;
using Keys = CanvasTest;
using Panning = CanvasTest;
using Dropping = CanvasTest;

void scroll(QWidget& widget, QPoint angleDelta) {
    const QPointF position(widget.width() / 2.0, widget.height() / 2.0);
    QWheelEvent wheel(position, widget.mapToGlobal(position), QPoint(), angleDelta, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

// A drop of `data` on the middle of the canvas; whether it was accepted.
bool drop(QWidget& widget, QMimeData& data) {
    const QPointF middle(widget.width() / 2.0, widget.height() / 2.0);
    QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "every drag is welcome";
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent dropped(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &dropped);
    return dropped.isAccepted();
}

}  // namespace

TEST_F(CanvasGeometry, FitsLargePicturesAndNeverEnlargesSmallOnes) {
    EXPECT_EQ(canvas.imageRect(), QRectF(100, 50, 400, 300)) << "one image pixel per device pixel, centred";

    document.open(filledImage(2000, 1000), QStringLiteral("大图"));
    // min((600 - 48) / 2000, (400 - 48) / 1000) = 0.276
    EXPECT_EQ(canvas.imageRect(), QRectF(24, 62, 552, 276));

    document.setZoom(2);
    EXPECT_EQ(canvas.imageRect(), QRectF(-252, -76, 1104, 552));
    document.setActualPixels(true);
    EXPECT_EQ(canvas.imageRect().size(), QSizeF(4000, 2000)) << "actual pixels, then zoomed";
}

TEST_F(CanvasGeometry, MapsWidgetPositionsOntoImagePixelsClampedToTheEdges) {
    EXPECT_EQ(canvas.point({150, 80}), QPointF(50, 30));
    EXPECT_EQ(canvas.point({0, 0}), QPointF(0, 0));
    EXPECT_EQ(canvas.point({599, 399}), QPointF(400, 300));

    ShotDocument empty;
    CanvasView blank(empty);
    EXPECT_FALSE(blank.point({10, 10}));
    EXPECT_TRUE(blank.imageRect().isEmpty());
}

TEST_F(CanvasGeometry, ACanvasSmallerThanItsMarginsShowsNothingAndTakesNoMarks) {
    canvas.resize(40, 30);
    EXPECT_EQ(canvas.imageRect(), QRectF(20, 15, 0, 0)) << "not a mirrored picture";
    EXPECT_FALSE(canvas.point({20, 15}));
    document.choose(MarkTool::rectangle);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&canvas, QPoint(35, 25));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(35, 25));
    EXPECT_TRUE(document.marks().isEmpty());
}

TEST_F(CanvasGeometry, BoundsCoverEveryPointTheTextAndTheCounterDisc) {
    Mark pen = shapeMark(MarkTool::pen);
    pen.points = {{10, 20}, {90, 5}, {50, 80}};
    EXPECT_EQ(CanvasView::boundsFor(pen), QRectF(10, 5, 80, 75)) << "all points, not only first and last";

    pen.points = {{30, 30}, {30, 30}};
    EXPECT_EQ(CanvasView::boundsFor(pen), QRectF(30, 30, 1, 1)) << "each side at least 1";

    Mark counter = shapeMark(MarkTool::counter);
    counter.points = {{100, 100}, {100, 100}};
    counter.fontSize = 20;
    EXPECT_EQ(CanvasView::boundsFor(counter), QRectF(82, 82, 36, 36));
    counter.fontSize = 50;
    EXPECT_EQ(CanvasView::boundsFor(counter), QRectF(65, 65, 70, 70));

    const QRectF label = CanvasView::boundsFor(textLabel(QStringLiteral("第一行\n第二行更长一些"), 40));
    EXPECT_EQ(label.topLeft(), QPointF(20, 30));
    EXPECT_GT(label.width(), 7 * 40 * 0.9) << "the longer line, seven characters of about one em";
    EXPECT_GT(label.height(), 2 * 40) << "two lines";
    EXPECT_EQ(CanvasView::boundsFor(textLabel(QString(), 40)).size(), QSizeF(24, 40)) << "an empty label";
    EXPECT_EQ(CanvasView::boundsFor(Mark{}), QRectF());
}

TEST_F(Drawing, ADragAddsOneMarkWithTheDocumentSettingsAndAClickAddsNothing) {
    document.changeText(QStringLiteral("秘密"));
    document.setLineWidth(3);
    document.changeInk(Ink::palette[3]);
    const ObscureSettings cover{ObscureStyle::soft, 30, 0.5};
    document.changeObscure(cover, false);
    draw(MarkTool::pixelate, {10, 10}, {60, 60});
    draw(MarkTool::rectangle, {10, 20}, {110, 70});
    ASSERT_EQ(document.marks().size(), 2);
    EXPECT_EQ(document.marks()[0].obscure, cover);
    const Mark mark = document.marks()[1];
    EXPECT_EQ(mark.tool, MarkTool::rectangle);
    EXPECT_EQ(mark.points, (QList<QPointF>{{10, 20}, {110, 70}}));
    EXPECT_EQ(mark.ink, Ink::palette[3]);
    EXPECT_EQ(mark.width, 3.0);
    EXPECT_FALSE(mark.obscure) << "only covers carry cover settings";
    EXPECT_EQ(mark.text, QString()) << "only labels and counters carry text";
    EXPECT_EQ(document.selected(), mark.id);
    EXPECT_EQ(test::undoDepth(document), 2) << "one step per drag";

    click({200, 200});
    draw(MarkTool::arrow, {50, 50}, {50.5, 50.5});
    EXPECT_TRUE(document.marks().isEmpty()) << "a click, and a drag within one pixel, add nothing";
}

TEST_F(Drawing, PenStrokesKeepEveryPointAndAClosedLoopIsKept) {
    document.choose(MarkTool::pen);
    drag({{50, 50}, {100, 40}, {120, 90}, {60, 110}, {50, 50}});
    ASSERT_EQ(document.marks().size(), 1) << "a loop closed where it began";
    EXPECT_EQ(document.marks().first().points,
              (QList<QPointF>{{50, 50}, {50, 50}, {100, 40}, {120, 90}, {60, 110}, {50, 50}}));

    drag({{200, 200}, {200, 200}});
    EXPECT_EQ(document.marks().size(), 1) << "a pen click draws nothing";
}

TEST_F(Drawing, APenStrokeStopsGrowingAtThePointsAMarkMayHold) {
    document.choose(MarkTool::pen);
    QList<QPointF> path;
    for (qsizetype index = 0; index < markLimits::maxPoints + 50; ++index)
        path.append(QPointF(50 + index % 200, 50 + (index / 200) % 100));
    drag(path);
    ASSERT_EQ(document.marks().size(), 1);
    const Mark stroke = document.marks().first();
    EXPECT_EQ(stroke.points.size(), markLimits::maxPoints);
    EXPECT_EQ(stroke.points.last(), path[markLimits::maxPoints - 2]) << "the points after the limit are left out";
}

TEST_F(Drawing, NoToolAddsPointsBeyondWhatThePicturesMarksMayHold) {
    document.open(filledImage(400, 300), QStringLiteral("截图"), test::strokesHolding(markLimits::maxProjectPoints - 10));
    const qsizetype strokes = document.marks().size();
    document.choose(MarkTool::pen);
    QList<QPointF> path;
    for (int index = 0; index < 50; ++index) path.append(QPointF(100 + index * 3, 150));
    drag(path);
    ASSERT_EQ(document.marks().size(), strokes + 1);
    EXPECT_EQ(document.marks().last().points.size(), 10) << "the stroke stops where the picture's points end";

    draw(MarkTool::rectangle, {100, 200}, {200, 260});
    document.choose(MarkTool::counter);
    click({300, 100});
    EXPECT_EQ(document.marks().size(), strokes + 1) << "nor does a shape or a counter start";

    draw(MarkTool::crop, {0, 0}, {200, 150});
    EXPECT_EQ(document.image().size(), QSize(200, 150)) << "a crop adds no mark and still works";
}

// The status line hears of each bound a gesture reaches, once.
TEST_F(Drawing, EachBoundAGestureReachesIsSaidOnceAndWhatWasDrawnIsKept) {
    QList<QPointF> longPath;
    for (qsizetype index = 0; index < markLimits::maxPoints + 50; ++index)
        longPath.append(QPointF(50 + index % 200, 50 + (index / 200) % 100));
    QList<QPointF> shortPath;
    for (int index = 0; index < 50; ++index) shortPath.append(QPointF(100 + index * 3, 150));
    const struct {
        const char* what;
        QList<Mark> before;
        MarkTool tool;
        QList<QPointF> path;
        EditLimit limit;
        qsizetype pointsDrawn;  // of the mark added; none when 0
    } bounds[] = {
        {"a stroke past a mark's points", {}, MarkTool::pen, longPath, EditLimit::strokePoints, markLimits::maxPoints},
        {"a stroke past the picture's points", test::strokesHolding(markLimits::maxProjectPoints - 10), MarkTool::pen,
         shortPath, EditLimit::projectPoints, 10},
        {"a stroke past the strokes' length", test::strokesOfLength(markLimits::maxProjectStrokeLength - 100),
         MarkTool::pen, {{100, 150}, {160, 150}, {260, 150}, {300, 200}}, EditLimit::strokeLength, 4},
        {"a counter past the marks", test::counters(markLimits::maxMarks), MarkTool::counter, {{300, 100}},
         EditLimit::marks, 0},
        {"a rectangle past the marks", test::counters(markLimits::maxMarks), MarkTool::rectangle,
         {{100, 200}, {200, 260}}, EditLimit::marks, 0},
    };
    for (const auto& bound : bounds) {
        document.open(filledImage(400, 300), QStringLiteral("截图"), bound.before);
        document.choose(bound.tool);
        QSignalSpy reached(&document, &ShotDocument::limitReached);
        drag(bound.path);
        ASSERT_EQ(reached.size(), 1) << bound.what;
        EXPECT_EQ(reached.first().first().value<EditLimit>(), bound.limit) << bound.what;
        ASSERT_EQ(document.marks().size(), bound.before.size() + (bound.pointsDrawn ? 1 : 0)) << bound.what;
        if (bound.pointsDrawn) {
            EXPECT_EQ(document.marks().last().points.size(), bound.pointsDrawn) << bound.what;
        }
    }
}

// A long mark can be dragged far off the picture a piece at a time; it
// stops where a project's points may lie, so the project still opens.
TEST_F(Selecting, AMoveStopsWhereAProjectsPointsMayLie) {
    const Mark arrow = test::makeMark(MarkTool::arrow, {{-markLimits::maxCoordinate + 5, 100}, {50, 100}});
    document.open(filledImage(400, 300), QStringLiteral("截图"), {arrow});
    document.choose(MarkTool::move);
    drag({{40, 100}, {30, 90}, {10, 80}});
    EXPECT_EQ(document.marks().first().points, QList<QPointF>({{-markLimits::maxCoordinate, 80}, {45, 80}}));
}

// Strokes as long as they may be together, moved by fractions of a pixel at
// a zoom, keep their length to the bit, so the project still saves: strokes
// drawn, and strokes read from a file with points off the grid, which a
// move past 512 pixels would round.
TEST_F(Selecting, AMovedStrokeKeepsItsLengthExactly) {
    const QList<Mark> drawn = test::strokesOfLength(markLimits::maxProjectStrokeLength);
    QList<Mark> read;
    for (Mark stroke : drawn) {
        for (QPointF& point : stroke.points) point.rx() += 251 + 0x3p-44;
        read.append(markFromJson(toJson(stroke)));
    }
    for (const auto& [strokes, on] : {std::pair{drawn, QPointF(100, 20)}, std::pair{read, QPointF(300, 20)}}) {
        document.open(filledImage(400, 300), QStringLiteral("截图"), strokes);
        document.setZoom(0.7);
        document.choose(MarkTool::move);
        const QPoint onStroke = (canvas.imageRect().topLeft() + on * 0.7).toPoint();
        QTest::mousePress(&canvas, Qt::LeftButton, {}, onStroke);
        for (const QPoint by : {QPoint(1, 1), QPoint(3, 2)}) QTest::mouseMove(&canvas, onStroke + by);
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, onStroke + QPoint(3, 2));
        EXPECT_NE(document.marks().first().points, strokes.first().points) << on.x();
        EXPECT_EQ(strokeLength(document.marks()), markLimits::maxProjectStrokeLength) << on.x();
    }
}

TEST_F(Drawing, APenStrokeStopsWhereThePicturesStrokesReachTheLengthTheyMayHaveTogether) {
    document.open(filledImage(400, 300), QStringLiteral("截图"),
                  test::strokesOfLength(markLimits::maxProjectStrokeLength - 100));
    const qsizetype strokes = document.marks().size();
    document.choose(MarkTool::pen);
    drag({{100, 150}, {160, 150}, {260, 150}, {300, 200}, {190, 150}});
    ASSERT_EQ(document.marks().size(), strokes + 1) << "the stroke up to the bound is kept";
    EXPECT_EQ(document.marks().last().points, QList<QPointF>({{100, 150}, {100, 150}, {160, 150}, {199.5, 150}}))
        << "it ends where the length runs out, towards the pointer";
    EXPECT_EQ(strokeLength(document.marks()), markLimits::maxProjectStrokeLength);

    document.choose(MarkTool::pen);
    drag({{100, 250}, {120, 250}});
    EXPECT_EQ(document.marks().size(), strokes + 1) << "no stroke starts past the bound";
    draw(MarkTool::rectangle, {100, 200}, {200, 260});
    EXPECT_EQ(document.marks().size(), strokes + 2) << "shapes are not strokes";
}

TEST_F(Drawing, CountersAreNumberedByHowManyCountersThereAre) {
    document.choose(MarkTool::counter);
    for (const QPointF point : {QPointF(50, 50), QPointF(150, 50), QPointF(250, 50)}) click(point);
    ASSERT_EQ(document.marks().size(), 3);
    EXPECT_EQ(document.marks()[2].text, QStringLiteral("3"));
    EXPECT_EQ(document.marks()[2].points.first(), QPointF(250, 50));
    EXPECT_EQ(test::undoDepth(document), 3) << "each click is one step";
    for (int step = 0; step < 3; ++step) document.redo();

    document.select(document.marks()[1].id);
    document.deleteSelected();
    click({350, 150});
    ASSERT_EQ(document.marks().size(), 3);
    EXPECT_EQ(document.marks()[2].text, QStringLiteral("3")) << "two counters left, so the next is 3";
}

TEST_F(Drawing, CropsOnlyBeyondTwoPixelsEachWay) {
    draw(MarkTool::crop, {10, 10}, {12, 60});
    EXPECT_EQ(document.image().size(), QSize(400, 300)) << "2 × 50 does nothing";
    EXPECT_FALSE(document.canUndo());

    draw(MarkTool::crop, {10, 10}, {13, 13});
    EXPECT_EQ(document.image().size(), QSize(3, 3));
    EXPECT_TRUE(document.marks().isEmpty()) << "a crop is never a mark";
}

TEST_F(Drawing, EscapeDropsTheDraft) {
    document.choose(MarkTool::rectangle);
    press({10, 10});
    moveTo({80, 80});
    QTest::keyClick(&canvas, Qt::Key_Escape);
    moveTo({90, 90});
    release({90, 90});
    EXPECT_TRUE(document.marks().isEmpty());
}

TEST_F(Drawing, PressesOutsideThePictureDoNothing) {
    document.add(shapeMark());
    document.choose(MarkTool::move);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(document.selected()) << "not even deselected";

    document.choose(MarkTool::rectangle);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(20, 20));
    moveTo({200, 200});
    release({200, 200});
    EXPECT_EQ(document.marks().size(), 1);
}

TEST_F(Selecting, AClickSelectsTheTopmostMarkWithinTwelvePixels) {
    Mark lower = shapeMark();
    lower.points = {{100, 100}, {200, 200}};
    Mark upper = shapeMark();
    upper.points = {{150, 150}, {250, 250}};
    document.add(lower);
    document.add(upper);
    document.choose(MarkTool::move);

    click({160, 160});
    EXPECT_EQ(document.selected(), upper.id) << "the last added wins where they overlap";
    click({90, 90});
    EXPECT_EQ(document.selected(), lower.id) << "ten pixels outside still hits";
    click({86, 86});
    EXPECT_FALSE(document.selected()) << "fourteen pixels outside misses and deselects";
}

TEST_F(Selecting, AClickFindsALabelAsItsTextAndFontSizeAreNow) {
    document.add(textLabel(QStringLiteral("短"), 40));  // from (20, 30)
    const QUuid id = document.marks().first().id;
    document.choose(MarkTool::move);
    const QPointF pastTheShortText(20 + CanvasView::boundsFor(document.marks().first()).width() + 40, 50);
    click(pastTheShortText);
    EXPECT_FALSE(document.selected()) << "past the end of the short text";

    document.select(id);
    document.changeText(QStringLiteral("短短短短短短"));
    document.select(std::nullopt);
    click(pastTheShortText);
    EXPECT_EQ(document.selected(), id) << "the longer text reaches there";

    document.changeFontSize(10);
    document.select(std::nullopt);
    click(pastTheShortText);
    EXPECT_FALSE(document.selected()) << "in the smaller font it no longer does";

    document.undo();
    document.select(std::nullopt);
    click(pastTheShortText);
    EXPECT_EQ(document.selected(), id) << "and after undo it does again";
}

TEST_F(Selecting, ClicksMeasureNoLabelTheCanvasHasDrawn) {
    QList<Mark> labels;
    for (int index = 0; index < 30; ++index) {
        Mark label = textLabel(QStringLiteral("第%1个标签").arg(index), 30);
        label.points = {QPointF(10 + index * 10, 10 + index * 8)};
        labels.append(label);
    }
    document.open(filledImage(400, 300), QStringLiteral("标签"), labels);
    settle();  // the layer has measured them off the main thread
    document.choose(MarkTool::move);
    const qint64 before = LabelSizes::textsMeasured();
    for (const QPointF point : {QPointF(15, 15), QPointF(380, 290), QPointF(200, 150), QPointF(150, 100)}) click(point);
    EXPECT_TRUE(document.selected()) << "the last click hit a label";
    EXPECT_EQ(LabelSizes::textsMeasured() - before, 0);
}

TEST_F(Selecting, MovingAMarkIsOneUndoStep) {
    document.add(shapeMark());  // (10, 10) to (60, 40)
    const QUuid id = document.marks().first().id;
    const int steps = test::undoDepth(document);
    for (int step = 0; step < steps; ++step) document.redo();
    document.choose(MarkTool::move);

    drag({{30, 30}, {40, 35}, {60, 50}, {80, 70}});
    EXPECT_EQ(document.marks().first().points, (QList<QPointF>{{60, 50}, {110, 80}}));
    EXPECT_EQ(document.selected(), id);
    document.undo();
    EXPECT_EQ(document.marks().first().points, (QList<QPointF>{{10, 10}, {60, 40}})) << "the whole drag at once";

    click({30, 30});
    EXPECT_EQ(test::undoDepth(document), steps) << "a press that does not drag records nothing";
}

TEST_F(Selecting, AMarkStopsAtThePictureEdge) {
    document.add(shapeMark());  // (10, 10) to (60, 40)
    document.choose(MarkTool::move);
    drag({{30, 30}, {30, 30}, {-500, 30}});
    EXPECT_EQ(document.marks().first().points.first(), QPointF(-20, 10)) << "the pointer stops at x = 0";
}

TEST_F(Keys, DeleteAndBackspaceRemoveEscapeDeselectsAndOtherKeysGoOn) {
    document.add(shapeMark());
    document.add(shapeMark(MarkTool::ellipse));
    canvas.setFocus();
    QTest::keyClick(&canvas, Qt::Key_Delete);
    ASSERT_EQ(document.marks().size(), 1);
    EXPECT_EQ(document.marks().first().tool, MarkTool::rectangle);
    document.select(document.marks().first().id);
    QTest::keyClick(&canvas, Qt::Key_Backspace);
    EXPECT_TRUE(document.marks().isEmpty());

    document.add(shapeMark());
    QTest::keyClick(&canvas, Qt::Key_Escape);
    EXPECT_FALSE(document.selected());
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&canvas, &other);
    EXPECT_FALSE(other.isAccepted()) << "passed on to the parent";
}

TEST_F(Panning, TheWheelPansOnlyAZoomedPictureAndWithinItsOverflow) {
    const QRectF fitted = canvas.imageRect();
    scroll(canvas, {0, -120});
    EXPECT_EQ(canvas.imageRect(), fitted) << "zoom 1 does not pan";

    document.setZoom(2);  // 800 × 600 on 600 × 400: limits 100 + 24 and 100 + 24
    const QRectF centred = canvas.imageRect();
    scroll(canvas, {120, -120});
    EXPECT_EQ(canvas.imageRect().topLeft() - centred.topLeft(), QPointF(60, -60)) << "three lines of 20 points";
    for (int notch = 0; notch < 5; ++notch) scroll(canvas, {120, -120});
    EXPECT_EQ(canvas.imageRect().topLeft() - centred.topLeft(), QPointF(124, -124));

    document.open(filledImage(1000, 300), QStringLiteral("宽图"));
    EXPECT_EQ(canvas.imageRect().center(), QRectF(canvas.rect()).center()) << "opening resets the pan";
    document.setActualPixels(true);  // 1000 × 300 on 600 × 400: limits 200 + 24 and none
    const QRectF actual = canvas.imageRect();
    for (int notch = 0; notch < 5; ++notch) scroll(canvas, {-120, 120});
    EXPECT_EQ(canvas.imageRect().topLeft() - actual.topLeft(), QPointF(-224, 0)) << "actual pixels pans too";
}

TEST_F(Panning, TheOffsetOutlivesChangesOnlyWhileZoomed) {
    document.setZoom(2);
    scroll(canvas, {0, 120});
    const QRectF panned = canvas.imageRect();
    document.add(shapeMark());
    EXPECT_EQ(canvas.imageRect(), panned);

    document.setZoom(1);
    document.setZoom(1.5);
    EXPECT_EQ(canvas.imageRect().center(), QRectF(canvas.rect()).center()) << "reset on the way through zoom 1";
}

TEST_F(Dropping, TheFirstUrlOfADropIsPostedWhateverItIs) {
    QSignalSpy posted(&OpenShotRequests::instance(), &OpenShotRequests::openShotURL);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/说明.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/b.png"))});
    EXPECT_TRUE(drop(canvas, files));
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(posted.first().first().toUrl(), QUrl::fromLocalFile(QStringLiteral("/tmp/说明.txt")));

    QMimeData picture;
    picture.setImageData(filledImage(4, 4));
    EXPECT_FALSE(drop(canvas, picture)) << "image data without a URL is refused";
    EXPECT_EQ(posted.size(), 1);
}
