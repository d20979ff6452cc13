// The symbols of the tool panel, the history list and the background sheet.
#include "editor_ui/style/SymbolDrawing.h"

namespace tavero::SymbolIcons {

namespace {

SymbolDrawing chevronUp() { return {polyline({{5, 15}, {12, 8}, {19, 15}}), {}}; }

SymbolDrawing chevronDown() { return {polyline({{5, 9}, {12, 16}, {19, 9}}), {}}; }

// A U-turn: a line that comes back on itself, the head at the line's start.
QPainterPath uTurn() {
    QPainterPath path = polyline({{6, 8}, {14.5, 8}});
    path.arcTo(QRectF(9, 8, 11, 11), 90, -180);
    path.lineTo(10, 19);
    path.addPath(polyline({{9.5, 4}, {5.5, 8}, {9.5, 12}}));
    return path;
}

SymbolDrawing arrowUturnBackward() { return {uTurn(), {}}; }

SymbolDrawing arrowUturnForward() { return {QTransform(-1, 0, 0, 1, 24, 0).map(uTurn()), {}}; }

SymbolDrawing trash() {
    QPainterPath path = polyline({{3.5, 6}, {20.5, 6}});
    path.addPath(polyline({{9, 6}, {9, 3.5}, {15, 3.5}, {15, 6}}));
    path.addPath(polyline({{5.5, 6}, {6.8, 20.5}, {17.2, 20.5}, {18.5, 6}}));
    path.addPath(polyline({{10, 10}, {10, 17}}));
    path.addPath(polyline({{14, 10}, {14, 17}}));
    return {path, {}};
}

// A landscape: a frame, a sun and a hill line.
QPainterPath landscape(const QRectF& frame) {
    QPainterPath path;
    path.addRoundedRect(frame, 2, 2);
    const double x = frame.x(), y = frame.y(), w = frame.width(), h = frame.height();
    path.addPath(polyline({{x, y + h * 0.85}, {x + w * 0.35, y + h * 0.5}, {x + w * 0.6, y + h * 0.75},
                           {x + w * 0.75, y + h * 0.6}, {x + w, y + h * 0.85}}));
    path.addEllipse(QPointF(x + w * 0.72, y + h * 0.3), w * 0.08, w * 0.08);
    return path;
}

SymbolDrawing photo() { return {landscape(QRectF(3, 5, 18, 14)), {}}; }

// A photo in front of a tilted frame.
SymbolDrawing photoOnRectangleAngled() {
    QPainterPath back = polyline({{6.5, 6}, {18.5, 2.8}, {21.5, 14}, {19.5, 14.5}});
    QPainterPath path = landscape(QRectF(2.5, 8, 15, 12));
    path.addPath(back);
    return {path, {}};
}

SymbolDrawing video() {
    QPainterPath path;
    path.addRoundedRect(QRectF(2.5, 6.5, 13, 11), 2.5, 2.5);
    path.addPath(polyline({{15.5, 10.5}, {21.5, 7}, {21.5, 17}, {15.5, 13.5}}));
    return {path, {}};
}

// A square with an arrow turning clockwise over it.
SymbolDrawing rotateRight() {
    QPainterPath path;
    path.addRoundedRect(QRectF(3.5, 10, 11, 11), 1.5, 1.5);
    const QRectF turn(7, 3.5, 13, 13);
    path.arcMoveTo(turn, 150);
    path.arcTo(turn, 150, -150);
    path.addPath(polyline({{17, 8}, {20, 10.5}, {22.5, 7.5}}));
    return {path, {}};
}

SymbolDrawing rectangleOnRectangle() {
    QPainterPath path = polyline({{7.5, 6.5}, {7.5, 4}, {21, 4}, {21, 14}, {18.5, 14}});
    path.addRoundedRect(QRectF(3, 8.5, 15.5, 11), 1.5, 1.5);
    return {path, {}};
}

}  // namespace

std::optional<SymbolDrawing> panelSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("chevron.up"), chevronUp},
        {QStringLiteral("chevron.down"), chevronDown},
        {QStringLiteral("arrow.uturn.backward"), arrowUturnBackward},
        {QStringLiteral("arrow.uturn.forward"), arrowUturnForward},
        {QStringLiteral("trash"), trash},
        {QStringLiteral("photo"), photo},
        {QStringLiteral("photo.on.rectangle.angled"), photoOnRectangleAngled},
        {QStringLiteral("video"), video},
        {QStringLiteral("rotate.right"), rotateRight},
        {QStringLiteral("rectangle.on.rectangle"), rectangleOnRectangle},
    };
    return drawFrom(symbols, name);
}

}  // namespace tavero::SymbolIcons
