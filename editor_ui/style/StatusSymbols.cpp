// The symbols of the status item: idle, recording and paused.
#include "editor_ui/style/SymbolDrawing.h"

namespace tavero::SymbolIcons {

namespace {

const QPointF centre(12, 12);
constexpr double discRadius = 9.5;

QPainterPath disc(double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// Four corner brackets around a small cross hair.
SymbolDrawing viewfinder() {
    QPainterPath path;
    const auto corner = [&path](QPointF a, QPointF b, QPointF c) {
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
    };
    corner({3, 8}, {3, 3}, {8, 3});
    corner({16, 3}, {21, 3}, {21, 8});
    corner({21, 16}, {21, 21}, {16, 21});
    corner({8, 21}, {3, 21}, {3, 16});
    path.moveTo(12, 9);
    path.lineTo(12, 15);
    path.moveTo(9, 12);
    path.lineTo(15, 12);
    return {path, {}};
}

// A filled disc with a round hole, and a smaller dot inside the hole.
SymbolDrawing recordCircleFill() {
    QPainterPath filled = disc(discRadius).subtracted(disc(6.5));
    filled.addPath(disc(4.5));
    return {{}, filled};
}

// A filled disc with two bars cut out.
SymbolDrawing pauseCircleFill() {
    QPainterPath bars;
    bars.addRoundedRect(QRectF(8.5, 7.5, 2.5, 9), 1, 1);
    bars.addRoundedRect(QRectF(13, 7.5, 2.5, 9), 1, 1);
    return {{}, disc(discRadius).subtracted(bars)};
}

}  // namespace

std::optional<SymbolDrawing> statusSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("viewfinder"), viewfinder},
        {QStringLiteral("record.circle.fill"), recordCircleFill},
        {QStringLiteral("pause.circle.fill"), pauseCircleFill},
    };
    return drawFrom(symbols, name);
}

}  // namespace tavero::SymbolIcons
