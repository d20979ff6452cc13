// The symbols of the twelve annotation tools.
#include "editor_ui/style/SymbolDrawing.h"

#include "platform/Fonts.h"

namespace tavero::SymbolIcons {

namespace {

const QPointF centre(12, 12);

// The pointer of "cursorarrow": an arrow head with a short tail.
SymbolDrawing cursorArrow() {
    QPainterPath path = polyline({{6, 3}, {6, 19}, {10, 15}, {13, 21}, {15.5, 20}, {12.5, 14}, {18, 14}});
    path.closeSubpath();
    return {path, {}};
}

SymbolDrawing arrowUpRight() {
    QPainterPath path = polyline({{5, 19}, {18.5, 5.5}});
    path.addPath(polyline({{9, 5}, {19, 5}, {19, 15}}));
    return {path, {}};
}

SymbolDrawing rectangle() {
    QPainterPath path;
    path.addRoundedRect(QRectF(3, 6, 18, 12), 2, 2);
    return {path, {}};
}

SymbolDrawing circle() {
    QPainterPath path;
    path.addEllipse(centre, 9, 9);
    return {path, {}};
}

// A pencil lying from the lower left to the upper right, its tip at the bottom.
SymbolDrawing pencilTip() {
    QPainterPath path = polyline({{4, 20}, {5.5, 14.5}, {16, 4}, {20, 8}, {9.5, 18.5}});
    path.closeSubpath();
    path.addPath(polyline({{13.5, 6.5}, {17.5, 10.5}}));
    return {path, polyline({{4, 20}, {4.8, 17}, {7, 19.2}})};
}

// A marker with a chisel tip above a stroke of colour.
SymbolDrawing highlighter() {
    QPainterPath path = polyline({{8, 14}, {15, 3.5}, {20, 7}, {13, 17.5}});
    path.addPath(polyline({{8, 14}, {6.5, 17}, {10, 19.5}, {13, 17.5}}));
    path.addPath(polyline({{6.5, 17}, {4.5, 20}, {8, 20}}));
    QPainterPath stroke;
    stroke.addRoundedRect(QRectF(11, 19.5, 10, 2), 1, 1);
    return {path, stroke};
}

// A large and a small "A".
SymbolDrawing textFormat() {
    QPainterPath path = polyline({{2.5, 19}, {8, 5}, {13.5, 19}});
    path.addPath(polyline({{4.5, 14}, {11.5, 14}}));
    path.addPath(polyline({{13.5, 19}, {17.5, 9.5}, {21.5, 19}}));
    path.addPath(polyline({{15, 15.5}, {20, 15.5}}));
    return {path, {}};
}

// A ring around the digit 1.
SymbolDrawing oneCircle() {
    QPainterPath ring;
    ring.addEllipse(centre, 9.5, 9.5);
    QPainterPath digit;
    digit.addText(QPointF(), Fonts::system(12, FontWeight::bold), QStringLiteral("1"));
    digit.translate(centre - digit.boundingRect().center());
    return {ring, digit};
}

SymbolDrawing rectangleFill() {
    QPainterPath path;
    path.addRoundedRect(QRectF(3, 6, 18, 12), 2, 2);
    return {{}, path};
}

// Nine small squares in three rows.
SymbolDrawing squareGrid3x3Fill() {
    QPainterPath cells;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) cells.addRoundedRect(QRectF(3.5 + 6 * column, 3.5 + 6 * row, 5, 5), 1, 1);
    return {{}, cells};
}

// A beacon on a base with rays to both sides.
SymbolDrawing lightBeaconMax() {
    QPainterPath path = polyline({{8, 19}, {8, 11}});
    path.arcTo(QRectF(8, 7, 8, 8), 180, -180);
    path.lineTo(16, 19);
    path.addPath(polyline({{5.5, 19.5}, {18.5, 19.5}}));
    for (const auto& [from, to] : std::initializer_list<std::pair<QPointF, QPointF>>{
             {{4.5, 9}, {2, 7.5}}, {{4, 13}, {1.5, 13}}, {{19.5, 9}, {22, 7.5}}, {{20, 13}, {22.5, 13}},
             {{12, 4}, {12, 1.5}}})
        path.addPath(polyline({from, to}));
    return {path, {}};
}

}  // namespace

std::optional<SymbolDrawing> toolSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("cursorarrow"), cursorArrow},
        {QStringLiteral("arrow.up.right"), arrowUpRight},
        {QStringLiteral("rectangle"), rectangle},
        {QStringLiteral("circle"), circle},
        {QStringLiteral("pencil.tip"), pencilTip},
        {QStringLiteral("highlighter"), highlighter},
        {QStringLiteral("textformat"), textFormat},
        {QStringLiteral("1.circle"), oneCircle},
        {QStringLiteral("rectangle.fill"), rectangleFill},
        {QStringLiteral("square.grid.3x3.fill"), squareGrid3x3Fill},
        {QStringLiteral("light.beacon.max"), lightBeaconMax},
    };
    return drawFrom(symbols, name);
}

}  // namespace tavero::SymbolIcons
