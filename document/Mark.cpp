#include "document/Mark.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace tavero {

QRectF Mark::rect() const {
    if (points.isEmpty()) return {};
    const QPointF first = points.first();
    const QPointF last = points.last();
    return {std::min(first.x(), last.x()), std::min(first.y(), last.y()), std::abs(last.x() - first.x()),
            std::abs(last.y() - first.y())};
}

bool showsText(MarkTool tool) { return tool == MarkTool::text || tool == MarkTool::counter; }

namespace {

// 2^30 steps a pixel: coordinates within the reach need 50 bits of a
// double's 53, and a shift between two of them 51.
constexpr int pointGridBits = 30;

// Past 2^23 every double is on the grid already and rounds to itself.
double onGrid(double coordinate) {
    return std::ldexp(std::round(std::ldexp(coordinate, pointGridBits)), -pointGridBits);
}

bool withinReach(double coordinate) { return std::abs(coordinate) <= markLimits::maxCoordinate; }

qsizetype shownTextLength(const Mark& mark) { return showsText(mark.tool) ? mark.text.size() : 0; }

}  // namespace

QPointF onPointGrid(QPointF point) { return {onGrid(point.x()), onGrid(point.y())}; }

// Written as ranges that hold, so a NaN (never finite) is refused as well.
bool withinLimits(const Mark& mark) {
    const bool width = mark.width >= 0 && mark.width <= markLimits::maxLineWidth;
    const bool fontSize = mark.fontSize >= markLimits::minFontSize && mark.fontSize <= markLimits::maxFontSize;
    const bool points = std::all_of(mark.points.cbegin(), mark.points.cend(),
                                    [](QPointF point) { return withinReach(point.x()) && withinReach(point.y()); });
    return width && fontSize && shownTextLength(mark) <= markLimits::maxTextLength &&
           mark.points.size() <= markLimits::maxPoints && points;
}

bool withinProjectLimits(const QList<Mark>& marks) {
    const bool eachMark =
        std::all_of(marks.cbegin(), marks.cend(), [](const Mark& mark) { return withinLimits(mark); });
    return eachMark && marks.size() <= markLimits::maxMarks && pointCount(marks) <= markLimits::maxProjectPoints &&
           strokeLength(marks) <= markLimits::maxProjectStrokeLength &&
           textLength(marks) <= markLimits::maxProjectTextLength;
}

// Points within reach span at most twice the reach, so the range is never empty.
QPointF shiftWithinReach(const QList<QPointF>& points, QPointF shift) {
    if (points.isEmpty()) return shift;
    const auto [left, right] = std::minmax_element(points.cbegin(), points.cend(),
                                                   [](QPointF a, QPointF b) { return a.x() < b.x(); });
    const auto [top, bottom] = std::minmax_element(points.cbegin(), points.cend(),
                                                   [](QPointF a, QPointF b) { return a.y() < b.y(); });
    constexpr double reach = markLimits::maxCoordinate;
    return {std::clamp(shift.x(), -reach - left->x(), reach - right->x()),
            std::clamp(shift.y(), -reach - top->y(), reach - bottom->y())};
}

qsizetype pointCount(const QList<Mark>& marks) {
    qsizetype count = 0;
    for (const Mark& mark : marks) count += mark.points.size();
    return count;
}

qsizetype textLength(const QList<Mark>& marks) {
    qsizetype length = 0;
    for (const Mark& mark : marks) length += shownTextLength(mark);
    return length;
}

QString cutText(const QString& text, qsizetype length) {
    if (text.size() <= length) return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    characters.setPosition(length);
    if (!characters.isAtBoundary()) characters.toPreviousBoundary();
    return text.left(std::max<qsizetype>(characters.position(), 0));
}

double strokeLength(const QList<Mark>& marks) {
    double length = 0;
    for (const Mark& mark : marks) {
        if (mark.tool != MarkTool::pen) continue;
        for (qsizetype index = 1; index < mark.points.size(); ++index) {
            const QPointF step = mark.points[index] - mark.points[index - 1];
            length += std::ceil(std::hypot(step.x(), step.y()));
        }
    }
    return length;
}

json::Json toJson(const Mark& mark) {
    json::Json points = json::Json::array();
    for (const QPointF& point : mark.points) points.push_back(json::pointToJson(point));

    json::Json object = json::Json::object();
    object["id"] = json::fromString(json::uuidString(mark.id));
    object["tool"] = json::fromString(rawValue(mark.tool));
    object["points"] = std::move(points);
    object["ink"] = toJson(mark.ink);
    object["width"] = mark.width;
    object["text"] = json::fromString(showsText(mark.tool) ? mark.text : QString());
    object["fontSize"] = mark.fontSize;
    if (mark.obscure) object["obscure"] = toJson(*mark.obscure);
    return object;
}

Mark markFromJson(const json::Json& value) {
    Mark mark;
    mark.id = json::requireUuid(value, "id");
    const auto tool = markToolFromRaw(json::requireString(value, "tool"));
    if (!tool) throw json::DecodeError("unknown tool");
    mark.tool = *tool;
    for (const auto& point : json::requireArray(value, "points"))
        mark.points.append(onPointGrid(json::pointFromJson(point)));
    mark.ink = inkFromJson(json::requireObject(value, "ink"));
    mark.width = json::requireDouble(value, "width");
    const QString text = json::requireString(value, "text");
    if (showsText(mark.tool)) mark.text = text;
    mark.fontSize = json::requireDouble(value, "fontSize");
    if (const auto* obscure = json::optional(value, "obscure")) mark.obscure = obscureSettingsFromJson(*obscure);
    return mark;
}

}  // namespace tavero
