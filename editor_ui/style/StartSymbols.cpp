#include "editor_ui/style/SymbolDrawing.h"

#include <QTransform>

#include <algorithm>

namespace tavero::SymbolIcons {

namespace {

SymbolDrawing sparkles() {
    QPainterPath stars = sparkle({10, 13.5}, 8.5);
    stars.addPath(sparkle({18.5, 5}, 3.6));
    stars.addPath(sparkle({19, 19}, 2.6));
    return {{}, stars};
}

SymbolDrawing docOnClipboard() {
    QPainterPath path = polyline({{8.5, 4.5}, {5, 4.5}, {5, 21.5}, {19, 21.5}, {19, 4.5}, {15.5, 4.5}});
    path.addRoundedRect(QRectF(8.5, 2.5, 7, 4), 1.2, 1.2);
    path.addPath(polyline({{8.5, 11}, {15.5, 11}}));
    path.addPath(polyline({{8.5, 14.5}, {15.5, 14.5}}));
    path.addPath(polyline({{8.5, 18}, {13, 18}}));
    return {path, {}};
}

SymbolDrawing arrowRight() {
    QPainterPath path = polyline({{4, 12}, {20, 12}});
    path.addPath(polyline({{13.5, 5.5}, {20, 12}, {13.5, 18.5}}));
    return {path, {}};
}

SymbolDrawing arrowUpLeft() {
    QPainterPath path = polyline({{19, 19}, {5.5, 5.5}});
    path.addPath(polyline({{5.5, 15}, {5.5, 5.5}, {15, 5.5}}));
    return {path, {}};
}

SymbolDrawing checkmark() { return {polyline({{4.5, 12.5}, {9.5, 17.5}, {19.5, 6.5}}), {}}; }

SymbolDrawing waveform() {
    QPainterPath path;
    const double heights[] = {4, 10, 16, 8, 13, 6, 3};
    for (int bar = 0; bar < 7; ++bar) {
        const double x = 3 + bar * 3;
        path.addPath(polyline({{x, 12 - heights[bar] / 2}, {x, 12 + heights[bar] / 2}}));
    }
    return {path, {}};
}

// A hand whose index finger points up and to the left, filled: the finger,
// the fist with the other fingers curled on top, and the thumb, leaning
// left and grown to fill the grid.
SymbolDrawing handPointUpLeftFill() {
    const auto rounded = [](const QRectF& rect, double radius) {
        QPainterPath path;
        path.addRoundedRect(rect, radius, radius);
        return path;
    };
    QPainterPath hand = rounded(QRectF(8.5, 0.5, 4.4, 14), 2.2);
    hand = hand.united(rounded(QRectF(7, 9.5, 12.5, 13), 4.5));
    hand = hand.united(rounded(QRectF(12.4, 7.2, 3.6, 6), 1.8));
    hand = hand.united(rounded(QRectF(15.6, 8.2, 3.6, 6), 1.8));
    hand = hand.united(rounded(QRectF(3.2, 12.2, 6, 4.2), 2.1));
    QTransform lean;
    lean.rotate(-30);
    hand = lean.map(hand);
    const QRectF box = hand.boundingRect();
    const double scale = 21 / std::max(box.width(), box.height());
    QTransform fit;
    fit.translate(12, 12);
    fit.scale(scale, scale);
    fit.translate(-box.center().x(), -box.center().y());
    return {{}, fit.map(hand)};
}

}  // namespace

std::optional<SymbolDrawing> startSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("sparkles"), sparkles},
        {QStringLiteral("doc.on.clipboard"), docOnClipboard},
        {QStringLiteral("arrow.right"), arrowRight},
        {QStringLiteral("arrow.up.left"), arrowUpLeft},
        {QStringLiteral("checkmark"), checkmark},
        {QStringLiteral("waveform"), waveform},
        {QStringLiteral("hand.point.up.left.fill"), handPointUpLeftFill},
    };
    return drawFrom(symbols, name);
}

}  // namespace tavero::SymbolIcons
