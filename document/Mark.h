#pragma once

#include "document/Ink.h"
#include "document/MarkTool.h"
#include "document/ObscureSettings.h"
#include "platform/Json.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QUuid>

#include <optional>

namespace tavero {

// One annotation. Points are image pixels with a top-left origin: two for
// shapes, one for text and counters, many for the pen.
struct Mark {
    QUuid id = QUuid::createUuid();
    MarkTool tool = MarkTool::arrow;
    QList<QPointF> points;
    Ink ink = Ink::palette[0];
    double width = 8;
    // The text of a text mark, the number of a counter, empty otherwise
    // (showsText).
    QString text;
    double fontSize = 34;
    // The cover settings of a pixelate mark; marks stored before covers had
    // settings carry none.
    std::optional<ObscureSettings> obscure;

    // The rectangle spanned by the first and the last point only.
    QRectF rect() const;

    friend bool operator==(const Mark&, const Mark&) = default;
};

// What one mark, and the marks of one picture together, may hold: the one
// set of bounds the editor, the project writer and the project reader keep.
// The tools make nothing beyond these: the width slider stops at 18 and the
// font-size slider at 100, with room to spare here; a pen stroke and a label
// stop growing at the limit, and no mark is added past one. Painting more
// (a line 1000 pixels wide, a label of a million characters) could keep the
// editor from answering for seconds, so a project holding it is refused.
namespace markLimits {
inline constexpr double maxLineWidth = 36;
inline constexpr double minFontSize = 1;
inline constexpr double maxFontSize = 200;
// UTF-16 code units, as QString counts them; a label is cut between
// characters (cutText), never inside one.
inline constexpr qsizetype maxTextLength = 5'000;
inline constexpr qsizetype maxPoints = 20'000;
// Every mark the tools make holds two points at least, so the points of a
// picture leave room for this many marks.
inline constexpr qsizetype maxMarks = 25'000;
// The text of all the labels of one picture: as much as 10,000 labels of
// the longest text, which projects have always opened with. It keeps what
// a project holds in memory, and its file, bounded whatever its marks.
inline constexpr qsizetype maxProjectTextLength = 10'000 * maxTextLength;
// Points across all the marks of one picture: each piece of a stroke takes
// a little time to draw however short, so a project holds what it draws
// within a few seconds; the tools add no point beyond it, and a project file
// holding more is refused.
inline constexpr qsizetype maxProjectPoints = 50'000;
// The length of the pen strokes across all the marks of one picture, in
// whole image pixels (see strokeLength). Drawing takes time for every pixel
// a stroke covers: at the widest line and enlarged four times, as far as the
// zoom goes, strokes of this length all crossing the part shown cover about
// two billion pixels, drawn in a second or two. The pen stops there, and a
// project file holding more is refused.
inline constexpr double maxProjectStrokeLength = 3'000'000;
// How far a point may lie from the picture's top-left corner either way, in
// image pixels, whatever the tool. The tools place points on the picture,
// and a move takes a mark at most a picture's size beyond it (32,000 pixels
// at most); a point far beyond draws nothing, or a speck where its sizes and
// angles overflow and come out as NaN.
inline constexpr double maxCoordinate = 1'000'000;
}  // namespace markLimits

// Whether marks of `tool` show a text: a label its own, a counter its number.
// Other marks hold none, in the editor and in a project file, so what was
// typed for a label never travels hidden in a shape.
bool showsText(MarkTool tool);
// The point on the grid the points of marks lie on, steps of 2^-30 image
// pixels. A coordinate on it within markLimits::maxCoordinate, moved by a
// shift on it that keeps it within, stays exact in a double: a moved mark
// keeps its shape to the bit, so a pen stroke keeps the length it had and a
// project that could be saved still can.
QPointF onPointGrid(QPointF point);

// True when the mark's width, font size, shown text and points are within
// markLimits; a NaN never is.
bool withinLimits(const Mark& mark);
// True when every mark is within limits and the marks together keep the
// bounds of a picture: their number, points, stroke length and text.
bool withinProjectLimits(const QList<Mark>& marks);
// `shift` cut short where it would take one of `points` further than
// markLimits::maxCoordinate from the picture's corner; on the grid when the
// shift and the points are.
QPointF shiftWithinReach(const QList<QPointF>& points, QPointF shift);
// The points of all `marks` together.
qsizetype pointCount(const QList<Mark>& marks);
// The text all `marks` show together, in UTF-16 code units.
qsizetype textLength(const QList<Mark>& marks);
// `text` cut to at most `length` UTF-16 code units at the end of a whole
// character (a grapheme: a surrogate pair, a letter with its accents, an
// emoji sequence), never inside one.
QString cutText(const QString& text, qsizetype length);
// The length of the pen strokes among `marks`, in image pixels, each piece
// of a stroke counted up to its next whole pixel so that lengths add up
// exactly in any order; infinite for points too far apart to measure. A
// stroke moved on the grid (onPointGrid) keeps its length exactly.
double strokeLength(const QList<Mark>& marks);

// Keys in the stored order: "id", "tool", "points", "ink", "width", "text",
// "fontSize", and "obscure" only when the mark has cover settings. "text" is
// empty for a mark that shows none.
json::Json toJson(const Mark& mark);
// Requires every key but "obscure"; ignores unknown keys. Throws
// json::DecodeError. The points are taken onto the grid (onPointGrid), and
// the text of a mark that shows none, which files of earlier versions hold,
// is dropped.
Mark markFromJson(const json::Json& value);

}  // namespace tavero
