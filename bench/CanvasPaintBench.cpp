#include "document/LabelSizes.h"
#include "document/ShotDocument.h"
#include "document/ui/CanvasView.h"
#include "tests/support/Pictures.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QRegion>

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>

using namespace tavero;

namespace {

constexpr QSize canvasSize(1180, 700);  // the editor window's picture area

// 47 strokes, shapes, labels and counters over the picture, and 3 covers.
QList<Mark> busyMarks() {
    const MarkTool tools[] = {MarkTool::arrow, MarkTool::rectangle, MarkTool::ellipse, MarkTool::pen,
                              MarkTool::highlight, MarkTool::text, MarkTool::counter, MarkTool::redact};
    QList<Mark> marks;
    for (int index = 0; index < 47; ++index) {
        Mark mark;
        mark.tool = tools[index % 8];
        const QPointF from(200 + (index % 8) * 580, 150 + (index / 8) * 440);
        mark.points = {from, from + QPointF(420, 260)};
        if (mark.tool == MarkTool::pen) {
            mark.points = {from};
            for (int step = 1; step < 120; ++step) mark.points.append(from + QPointF(step * 3.5, (step % 20) * 12));
        }
        mark.ink = Ink::palette[index % 7];
        mark.text = mark.tool == MarkTool::counter ? QString::number(index / 8 + 1) : QStringLiteral("检查这里\nCheck");
        mark.fontSize = 64;
        marks.append(mark);
    }
    const ObscureStyle styles[] = {ObscureStyle::frosted, ObscureStyle::soft, ObscureStyle::pixel};
    for (int index = 0; index < 3; ++index) {
        Mark cover;
        cover.tool = MarkTool::pixelate;
        cover.points = {QPointF(300 + index * 1500, 2300), QPointF(1500 + index * 1500, 2750)};
        cover.obscure = ObscureSettings{styles[index], 24, 0.28};
        marks.append(cover);
    }
    return marks;
}

struct BusyCanvas {
    BusyCanvas() : canvas(document) {
        document.open(fixtures::screenshotLike(5120, 2880), QStringLiteral("5K"), busyMarks());
        canvas.resize(canvasSize);
        const double scale = canvas.devicePixelRatioF();
        target = QImage(canvasSize * scale, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(scale);
        canvas.render(&target);  // warm: the reduced picture and the covers are cached
    }

    ShotDocument document;
    CanvasView canvas;
    QImage target;
};

std::string label(const CanvasView& canvas) {
    return "5120x2880, 50 marks, 3 covers, backing scale " + std::to_string(canvas.devicePixelRatioF()).substr(0, 3);
}

// One full repaint of the canvas at fit zoom, with no mark changed since the
// last: a new selection, a pan, an exposed window.
void paintWholeCanvas(benchmark::State& state) {
    BusyCanvas busy;
    for (auto _ : state) busy.canvas.render(&busy.target);
    state.SetLabel(label(busy.canvas));
}

// One full repaint after a mark changed: every mark is drawn again.
void paintAfterAMarkChanged(benchmark::State& state) {
    BusyCanvas busy;
    const Mark first = busy.document.marks().first();
    QList<QPointF> shifted = first.points;
    for (QPointF& point : shifted) point += QPointF(1, 0);
    bool moved = false;
    for (auto _ : state) {
        busy.document.setMarkPoints(first.id, (moved = !moved) ? shifted : first.points);
        busy.canvas.render(&busy.target);
    }
    state.SetLabel(label(busy.canvas));
}

// The part a drag repaints while a new rectangle is drawn over the marks.
void paintDraggedArea(benchmark::State& state) {
    BusyCanvas busy;
    busy.document.choose(MarkTool::rectangle);
    const QPointF from(400, 250), to(560, 360);
    QMouseEvent press(QEvent::MouseButtonPress, from, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&busy.canvas, &press);
    QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&busy.canvas, &move);
    const QRect dragged = QRectF(from, to).toAlignedRect().adjusted(-8, -8, 8, 8);
    for (auto _ : state) busy.canvas.render(&busy.target, dragged.topLeft(), QRegion(dragged));
}

// The part a drag repaints while a mark is moved: the marks changed, so they
// are drawn again, clipped to that part.
void paintMovedMarkArea(benchmark::State& state) {
    BusyCanvas busy;
    const Mark first = busy.document.marks().first();
    QList<QPointF> shifted = first.points;
    for (QPointF& point : shifted) point += QPointF(1, 0);
    const QRect moved(QPoint(20, 20), QSize(160, 110));
    bool shift = false;
    for (auto _ : state) {
        busy.document.setMarkPoints(first.id, (shift = !shift) ? shifted : first.points);
        busy.canvas.render(&busy.target, moved.topLeft(), QRegion(moved));
    }
}

// The largest picture a project may hold, with marks at the limits a project
// may hold; each repaint follows a change of one mark, so every mark is
// painted again. The zoom is a range argument in tenths: 10 fits the picture
// (a reduced copy), 80 shows it enlarged eight times; highestZoom shows it
// as far as the zoom bar goes, its actual pixels enlarged four times.
constexpr QSize largestPicture(7680, 5200);
constexpr long highestZoom = 0;

void showAt(ShotDocument& document, long zoom) {
    document.setActualPixels(zoom == highestZoom);
    document.setZoom(zoom == highestZoom ? 4.0 : zoom / 10.0);
}

std::string zoomLabel(long zoom) {
    return zoom == highestZoom ? "actual pixels, zoom 4.0" : "zoom " + std::to_string(zoom / 10.0).substr(0, 3);
}

Mark strokeAtTheLimits(int index, qsizetype points) {
    Mark stroke;
    stroke.tool = MarkTool::pen;
    stroke.width = markLimits::maxLineWidth;
    const QPointF from((index * 97) % 5600, (index * 53) % 3200);
    for (qsizetype point = 0; point < points; ++point)
        stroke.points.append(from + QPointF(std::fmod(point * 7.3, 2000), std::fmod(point * 3.1, 2000)));
    return stroke;
}

Mark labelAtTheLimits(int index) {
    Mark label;
    label.tool = MarkTool::text;
    label.fontSize = markLimits::maxFontSize;
    const QPointF at((index * 97) % 5600, (index * 53) % 3200);
    label.points = {at, at};
    for (qsizetype character = 0; character < markLimits::maxTextLength; ++character)
        label.text.append(character % 60 == 59 ? QChar(u'\n') : QChar(char16_t(0x4e00 + character % 500)));
    return label;
}

// A canvas on the largest picture with `marks`, its layer drawn, and a
// change of the first mark that moves it one pixel back and forth.
struct LargestProject {
    LargestProject(const QList<Mark>& marks, long zoom) : canvas(document), first(marks.first()) {
        document.open(fixtures::screenshotLike(largestPicture.width(), largestPicture.height()),
                      QStringLiteral("最大"), marks);
        canvas.resize(canvasSize);
        showAt(document, zoom);
        target = QImage(canvasSize * canvas.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(canvas.devicePixelRatioF());
        settle();
        shifted = first.points;
        for (QPointF& point : shifted) point += QPointF(1, 0);
    }

    void changeAMark() { document.setMarkPoints(first.id, (moved = !moved) ? shifted : first.points); }
    // Runs the event loop until the layer for the document as it is arrives.
    void settle() {
        while (!canvas.showsSettledPicture()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        canvas.render(&target);
    }

    ShotDocument document;
    CanvasView canvas;
    QImage target;
    Mark first;
    QList<QPointF> shifted;
    bool moved = false;
};

// Each repaint follows a change of one mark: the time the main thread spends
// in the repaint, while the layer with the change is drawn off it.
void paintLargestProject(benchmark::State& state, const QList<Mark>& marks, const std::string& what) {
    LargestProject project(marks, state.range(0));
    for (auto _ : state) {
        project.changeAMark();
        project.canvas.render(&project.target);
    }
    state.SetLabel(what + ", 7680x5200, " + zoomLabel(state.range(0)));
}

// From a change of one mark until the canvas shows the layer with it.
void settleLargestProject(benchmark::State& state, const QList<Mark>& marks, const std::string& what) {
    LargestProject project(marks, state.range(0));
    for (auto _ : state) {
        project.changeAMark();
        project.canvas.render(&project.target);
        project.settle();
    }
    state.SetLabel(what + ", settled, 7680x5200, " + zoomLabel(state.range(0)));
}

QList<Mark> strokesAtTheLimits(int count) {
    QList<Mark> marks;
    for (int index = 0; index < count; ++index) marks.append(strokeAtTheLimits(index, 1'000));
    return marks;
}

std::string strokesLabel(int count) { return std::to_string(count) + " strokes of 1000 points, width 36"; }

// Strokes of 1,000 points at the widest line, as many as the second argument.
void paintStrokesAtTheLimits(benchmark::State& state) {
    paintLargestProject(state, strokesAtTheLimits(int(state.range(1))), strokesLabel(int(state.range(1))));
}

void settleStrokesAtTheLimits(benchmark::State& state) {
    settleLargestProject(state, strokesAtTheLimits(int(state.range(1))), strokesLabel(int(state.range(1))));
}

// Each repaint follows a change of zoom, between fitted and twice that: the
// picture is drawn quickly and the last layer scaled over it.
void paintAfterAZoomChange(benchmark::State& state) {
    LargestProject project(strokesAtTheLimits(2000), 10);
    bool zoomed = false;
    for (auto _ : state) {
        project.document.setZoom((zoomed = !zoomed) ? 2.0 : 1.0);
        project.canvas.render(&project.target);
    }
    state.SetLabel(strokesLabel(2000) + ", 7680x5200, zoom 1.0 and 2.0 in turn");
}

// The longest stroke a mark may hold.
void paintLongestStroke(benchmark::State& state) {
    paintLargestProject(state, {strokeAtTheLimits(0, markLimits::maxPoints)}, "one stroke of 20000 points, width 36");
}

// Pen strokes `width` wide through the points `at` gives in turn, a new
// stroke every `pointsAStroke`, until they hold as many points, or are as
// long, as a project's strokes may be.
QList<Mark> strokesAtTheBound(const std::function<QPointF(qsizetype)>& at, double width = markLimits::maxLineWidth,
                              qsizetype pointsAStroke = markLimits::maxPoints) {
    QList<Mark> marks;
    double length = 0;
    for (qsizetype point = 0; point < markLimits::maxProjectPoints; ++point) {
        const QPointF next = at(point);
        if (point % pointsAStroke == 0) {
            marks.append(Mark());
            marks.last().tool = MarkTool::pen;
            marks.last().width = width;
        } else {
            const QPointF step = next - marks.last().points.last();
            length += std::ceil(std::hypot(step.x(), step.y()));
            if (length > markLimits::maxProjectStrokeLength) break;
        }
        marks.last().points.append(next);
    }
    return marks;
}

// The longest strokes criss-crossing the whole picture in short steps.
QList<Mark> strokesAcrossThePicture() {
    return strokesAtTheBound([](qsizetype point) {
        return QPointF(std::fmod(point * 37.3, largestPicture.width() - 80) + 40,
                       std::fmod(point * 23.1, largestPicture.height() - 80) + 40);
    });
}

// The longest strokes whose every piece is a chord through the middle of the
// picture across an ellipse of `span`: the costliest to draw where the
// pieces cross the part shown from side to side.
QList<Mark> chordsThroughTheMiddle(QSizeF span) {
    const QPointF middle(largestPicture.width() / 2.0, largestPicture.height() / 2.0);
    return strokesAtTheBound([=](qsizetype point) {
        const double angle = point * (M_PI + 0.0137);
        return middle + QPointF(span.width() / 2 * std::cos(angle), span.height() / 2 * std::sin(angle));
    });
}

// Handwriting at the pen's widest line: strokes of 250 points in loops that
// cross themselves, a point every few pixels, all over the picture.
QList<Mark> handwriting() {
    constexpr qsizetype pointsAStroke = 250;
    return strokesAtTheBound(
        [](qsizetype point) {
            const qsizetype stroke = point / pointsAStroke;
            const QPointF from((stroke * 397) % 6800 + 100, (stroke * 211) % 4600 + 300);
            const double turn = (point % pointsAStroke) * 0.12;
            return from + 600 * QPointF(turn / 20 - std::sin(turn) / 8, std::sin(turn / 3) / 10 - std::cos(turn) / 6);
        },
        18, pointsAStroke);
}

// The shapes of a project at the bound, chosen by a range argument.
enum class Shape { acrossInShortSteps, chordsAcrossThePicture, chordsAcrossThePartShownEnlarged, handwriting };

// The part of the picture the canvas shows at the highest zoom.
constexpr QSizeF shownEnlarged(canvasSize.width() / 4.0, canvasSize.height() / 4.0);

QList<Mark> strokesAtTheBound(Shape shape) {
    switch (shape) {
    case Shape::acrossInShortSteps: return strokesAcrossThePicture();
    case Shape::chordsAcrossThePicture: return chordsThroughTheMiddle(largestPicture - QSizeF(80, 80));
    case Shape::chordsAcrossThePartShownEnlarged: return chordsThroughTheMiddle(shownEnlarged);
    case Shape::handwriting: return handwriting();
    }
    return {};
}

std::string shapeLabel(Shape shape, const QList<Mark>& marks) {
    const std::string bound = std::to_string(pointCount(marks)) + " points, " +
                              std::to_string(qint64(strokeLength(marks))) + " pixels long, ";
    switch (shape) {
    case Shape::acrossInShortSteps: return bound + "strokes across the picture, width 36";
    case Shape::chordsAcrossThePicture: return bound + "chords across the picture, width 36";
    case Shape::chordsAcrossThePartShownEnlarged: return bound + "chords across the part shown enlarged, width 36";
    case Shape::handwriting: return bound + "handwriting, width 18";
    }
    return {};
}

// A project at the bound: the longest strokes criss-crossing the picture.
void paintProjectAtTheBound(benchmark::State& state) {
    const QList<Mark> marks = strokesAcrossThePicture();
    paintLargestProject(state, marks, shapeLabel(Shape::acrossInShortSteps, marks));
}

// From opening a project at the bound until the canvas shows it with its
// marks; two such projects in turn, so no layer drawn before serves again.
// The second range argument chooses the shape of its strokes.
void openProjectAtTheBound(benchmark::State& state) {
    const Shape shape = Shape(state.range(1));
    const QList<Mark> marks = strokesAtTheBound(shape);
    QList<Mark> other = marks;
    for (Mark& stroke : other) stroke.points.first() += QPointF(1, 0);
    LargestProject project(marks, state.range(0));
    const QImage picture = project.document.image();
    bool first = false;
    for (auto _ : state) {
        project.document.open(picture, QStringLiteral("最大"), (first = !first) ? other : marks);
        showAt(project.document, state.range(0));
        project.settle();
    }
    state.SetLabel(shapeLabel(shape, marks) + ", opened, 7680x5200, " + zoomLabel(state.range(0)));
}

// From a change of the longest stroke a mark may hold, its pieces chords
// across the picture, until the canvas shows it: beyond the bound of a
// project's strokes, as projects held them before there was one.
void settleLongestChords(benchmark::State& state) {
    const QPointF middle(largestPicture.width() / 2.0, largestPicture.height() / 2.0);
    Mark stroke;
    stroke.tool = MarkTool::pen;
    stroke.width = markLimits::maxLineWidth;
    for (qsizetype point = 0; point < markLimits::maxPoints; ++point) {
        const double angle = point * (M_PI + 0.0137);
        stroke.points.append(middle + QPointF(3800 * std::cos(angle), 2560 * std::sin(angle)));
    }
    settleLargestProject(state, {stroke}, "one stroke of 20000 points in chords across the picture, width 36");
}

// Labels of the longest text at the largest size, as many as the second argument.
void paintLabelsAtTheLimits(benchmark::State& state) {
    QList<Mark> marks;
    for (int index = 0; index < state.range(1); ++index) marks.append(labelAtTheLimits(index));
    paintLargestProject(state, marks, std::to_string(state.range(1)) + " labels of 5000 characters, size 200");
}

// A frosted cover over the whole of the largest picture: tools make it with
// one drag.
Mark coverOverTheLargestPicture() {
    Mark cover;
    cover.tool = MarkTool::pixelate;
    cover.points = {QPointF(0, 0), QPointF(largestPicture.width(), largestPicture.height())};
    cover.obscure = ObscureSettings{ObscureStyle::frosted, 24, 0.28};
    return cover;
}

void paintCoverOverTheLargestPicture(benchmark::State& state) {
    paintLargestProject(state, {coverOverTheLargestPicture()}, "one frosted cover over the whole picture");
}

void settleCoverOverTheLargestPicture(benchmark::State& state) {
    settleLargestProject(state, {coverOverTheLargestPicture()}, "one frosted cover over the whole picture");
}

// Marks of one tool across the whole picture at the widest line.
QList<Mark> acrossThePicture(MarkTool tool, int count) {
    QList<Mark> marks;
    for (int index = 0; index < count; ++index) {
        Mark mark;
        mark.tool = tool;
        mark.width = markLimits::maxLineWidth;
        mark.points = {QPointF(index, index), QPointF(largestPicture.width() - index, largestPicture.height() - index)};
        marks.append(mark);
    }
    return marks;
}

void paintHighlightsOverThePicture(benchmark::State& state) {
    paintLargestProject(state, acrossThePicture(MarkTool::highlight, 100), "100 highlights over the whole picture");
}

void settleHighlightsOverThePicture(benchmark::State& state) {
    settleLargestProject(state, acrossThePicture(MarkTool::highlight, 100), "100 highlights over the whole picture");
}

void paintArrowsAcrossThePicture(benchmark::State& state) {
    paintLargestProject(state, acrossThePicture(MarkTool::arrow, 100), "100 arrows across the picture, width 36");
}

void settleArrowsAcrossThePicture(benchmark::State& state) {
    settleLargestProject(state, acrossThePicture(MarkTool::arrow, 100), "100 arrows across the picture, width 36");
}

// Labels of the longest text at the largest size, far up and left of the
// picture: each its own text, as many as a project may hold.
constexpr int farLabelCount = 10'000;
constexpr double farCorner = -999'000;

QList<Mark> farLabels() {
    QList<Mark> marks;
    for (int index = 0; index < farLabelCount; ++index) {
        Mark label;
        label.tool = MarkTool::text;
        label.fontSize = markLimits::maxFontSize;
        label.points = {QPointF(farCorner, farCorner)};
        label.text.reserve(markLimits::maxTextLength);
        for (qsizetype character = 0; character < markLimits::maxTextLength; ++character)
            label.text.append(QChar(char16_t(0x4e00 + (index * 7 + character) % 2000)));
        marks.append(label);
    }
    return marks;
}

// The far labels as a project read from a file brings them, measured.
const QList<Mark>& farLabelsRead() {
    static const QList<Mark> marks = [] {
        QList<Mark> made = farLabels();
        LabelSizes::shared().measure(made);
        return made;
    }();
    return marks;
}

std::string farLabelsLabel() { return "10000 labels of 5000 characters, size 200, at (-999000, -999000)"; }

// A click on the picture with the move tool: what the press and release do
// on the main thread, hit-testing every label on the way.
void clickOnFarLabels(benchmark::State& state) {
    ShotDocument document;
    CanvasView canvas(document);
    document.open(fixtures::screenshotLike(1920, 1080), QStringLiteral("远处"), farLabelsRead());
    canvas.resize(canvasSize);
    document.choose(MarkTool::move);
    const QPointF middle(canvasSize.width() / 2.0, canvasSize.height() / 2.0);
    const qint64 measuredBefore = LabelSizes::textsMeasured();
    for (auto _ : state) {
        QMouseEvent press(QEvent::MouseButtonPress, middle, middle, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, middle, middle, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&canvas, &release);
    }
    state.counters["labels measured"] = double(LabelSizes::textsMeasured() - measuredBefore);
    state.SetLabel(farLabelsLabel() + (document.selected() ? ", hit" : ", none hit"));
}

// One step of a move drag of a shape among the far labels, and the repaint
// after it, on the main thread.
void dragAmongFarLabels(benchmark::State& state) {
    ShotDocument document;
    CanvasView canvas(document);
    QList<Mark> marks = farLabelsRead();
    Mark shape;
    shape.tool = MarkTool::rectangle;
    shape.points = {QPointF(800, 400), QPointF(1100, 700)};
    marks.append(shape);
    document.open(fixtures::screenshotLike(1920, 1080), QStringLiteral("远处"), marks);
    canvas.resize(canvasSize);
    QImage target(canvasSize * canvas.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(canvas.devicePixelRatioF());
    while (!canvas.showsSettledPicture()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    document.choose(MarkTool::move);
    const QPointF from = canvas.imageRect().center();
    QMouseEvent press(QEvent::MouseButtonPress, from, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &press);
    bool right = false;
    for (auto _ : state) {
        const QPointF to = from + QPointF((right = !right) ? 6 : 0, 0);
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &move);
        canvas.render(&target);
    }
    state.SetLabel(farLabelsLabel() + (document.selected() ? ", a shape dragged" : ", nothing dragged"));
}

// One repaint of the canvas on the main thread once its layer is at hand.
void paintFarLabels(benchmark::State& state) {
    ShotDocument document;
    CanvasView canvas(document);
    document.open(fixtures::screenshotLike(1920, 1080), QStringLiteral("远处"), farLabelsRead());
    canvas.resize(canvasSize);
    QImage target(canvasSize * canvas.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(canvas.devicePixelRatioF());
    while (!canvas.showsSettledPicture()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (auto _ : state) canvas.render(&target);
    state.SetLabel(farLabelsLabel());
}

// From a project's marks as read from its file until the canvas shows the
// picture with them: their labels measured as the program reads a project,
// opened, and the layer drawn off the main thread.
void openFarLabels(benchmark::State& state) {
    ShotDocument document;
    CanvasView canvas(document);
    canvas.resize(canvasSize);
    const QImage picture = fixtures::screenshotLike(1920, 1080);
    QImage target(canvasSize * canvas.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(canvas.devicePixelRatioF());
    for (auto _ : state) {
        state.PauseTiming();
        const QList<Mark> marks = farLabels();  // texts of their own, not measured yet
        state.ResumeTiming();
        LabelSizes::shared().measure(marks);
        document.open(picture.copy(), QStringLiteral("远处"), marks);
        canvas.render(&target);
        while (!canvas.showsSettledPicture()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.SetLabel(farLabelsLabel() + ", opened");
}

}  // namespace

BENCHMARK(paintWholeCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(paintAfterAMarkChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(paintDraggedArea)->Unit(benchmark::kMillisecond);
BENCHMARK(paintMovedMarkArea)->Unit(benchmark::kMillisecond);
BENCHMARK(paintStrokesAtTheLimits)
    ->ArgsProduct({{10, 80}, {1, 100, 2000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(paintLongestStroke)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintLabelsAtTheLimits)->ArgsProduct({{10, 80}, {1, 10}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintCoverOverTheLargestPicture)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintAfterAZoomChange)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintHighlightsOverThePicture)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintArrowsAcrossThePicture)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(settleStrokesAtTheLimits)
    ->Args({10, 2000})
    ->Args({80, 2000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(paintProjectAtTheBound)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(openProjectAtTheBound)
    ->ArgsProduct({{10, 80, highestZoom},
                   {int(Shape::acrossInShortSteps), int(Shape::chordsAcrossThePicture),
                    int(Shape::chordsAcrossThePartShownEnlarged), int(Shape::handwriting)}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(settleLongestChords)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(settleCoverOverTheLargestPicture)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(settleHighlightsOverThePicture)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(settleArrowsAcrossThePicture)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(clickOnFarLabels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(dragAmongFarLabels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintFarLabels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openFarLabels)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
