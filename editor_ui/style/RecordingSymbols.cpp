// The symbols of the recording windows (the control bar and its buttons)
// and of the recording set-up sheet.
#include "editor_ui/style/SymbolDrawing.h"

namespace tavero::SymbolIcons {

namespace {

// A portrait's head and shoulders inside a rounded frame.
SymbolDrawing personCropRectangle() {
    QPainterPath frame;
    frame.addRoundedRect(QRectF(3, 4.5, 18, 15), 3, 3);
    frame.addEllipse(QPointF(12, 10.5), 2.8, 2.8);
    frame.moveTo(7.2, 19.5);
    frame.cubicTo(7.8, 16, 9.6, 14.8, 12, 14.8);
    frame.cubicTo(14.4, 14.8, 16.2, 16, 16.8, 19.5);
    return {frame, {}};
}

// A frame with a filled rectangle inset in it.
SymbolDrawing rectangleInsetFilled() {
    QPainterPath frame;
    frame.addRoundedRect(QRectF(3, 4.5, 18, 15), 3, 3);
    QPainterPath inset;
    inset.addRoundedRect(QRectF(6, 7.5, 12, 9), 1.5, 1.5);
    return {frame, inset};
}

// Four lines of text flush left, of varying length.
SymbolDrawing textAlignLeft() {
    QPainterPath lines;
    const double ends[] = {20, 14, 18, 11};
    for (int line = 0; line < 4; ++line) {
        const double y = 6 + line * 4;
        lines.moveTo(4, y);
        lines.lineTo(ends[line], y);
    }
    return {lines, {}};
}

// A triangle pointing right.
SymbolDrawing playFill() {
    QPainterPath triangle;
    triangle.moveTo(7, 4.5);
    triangle.lineTo(19.5, 12);
    triangle.lineTo(7, 19.5);
    triangle.closeSubpath();
    return {{}, triangle};
}

// Two upright bars.
SymbolDrawing pauseFill() {
    QPainterPath bars;
    bars.addRoundedRect(QRectF(6.5, 4.5, 4, 15), 1.2, 1.2);
    bars.addRoundedRect(QRectF(13.5, 4.5, 4, 15), 1.2, 1.2);
    return {{}, bars};
}

// Most of a circle turning left, its arrow head at the top-left end.
SymbolDrawing arrowCounterclockwise() {
    QPainterPath arc;
    arc.moveTo(6.2, 7.5);
    arc.arcTo(QRectF(4, 4, 16, 16), 145, -290);
    arc.addPath(polyline({{5, 3.5}, {6.2, 7.5}, {10.2, 6.6}}));
    return {arc, {}};
}

// Most of a circle turning right, its arrow head at the top-right end.
SymbolDrawing arrowClockwise() {
    QPainterPath arc;
    arc.moveTo(17.8, 7.5);
    arc.arcTo(QRectF(4, 4, 16, 16), 35, 290);
    arc.addPath(polyline({{19, 3.5}, {17.8, 7.5}, {13.8, 6.6}}));
    return {arc, {}};
}

// A flat drive box with its light on the right.
SymbolDrawing internalDrive() {
    QPainterPath box;
    box.addRoundedRect(QRectF(3, 7, 18, 10), 2.5, 2.5);
    box.moveTo(3.5, 12.5);
    box.lineTo(20.5, 12.5);
    QPainterPath light;
    light.addEllipse(QPointF(17, 14.8), 1, 1);
    return {box, light};
}

// A chevron pointing right: a closed disclosure.
SymbolDrawing chevronRight() { return {polyline({{9, 5}, {16, 12}, {9, 19}}), {}}; }

}  // namespace

std::optional<SymbolDrawing> recordingSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("person.crop.rectangle"), personCropRectangle},
        {QStringLiteral("rectangle.inset.filled"), rectangleInsetFilled},
        {QStringLiteral("text.alignleft"), textAlignLeft},
        {QStringLiteral("play.fill"), playFill},
        {QStringLiteral("pause.fill"), pauseFill},
        {QStringLiteral("arrow.counterclockwise"), arrowCounterclockwise},
        {QStringLiteral("arrow.clockwise"), arrowClockwise},
        {QStringLiteral("internaldrive"), internalDrive},
        {QStringLiteral("chevron.right"), chevronRight},
    };
    return drawFrom(symbols, name);
}

}  // namespace tavero::SymbolIcons
