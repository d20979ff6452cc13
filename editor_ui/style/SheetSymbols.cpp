#include "editor_ui/style/SymbolDrawing.h"

#include "platform/Fonts.h"

#include <QRegularExpression>

namespace tavero::SymbolIcons {

namespace {

SymbolDrawing lock() {
    QPainterPath path;
    path.addRoundedRect(QRectF(5, 10.5, 14, 10.5), 2, 2);
    path.moveTo(8, 10.5);
    path.lineTo(8, 7.5);
    path.cubicTo(8, 2.2, 16, 2.2, 16, 7.5);
    path.lineTo(16, 10.5);
    QPainterPath keyhole;
    keyhole.addEllipse(QPointF(12, 15.2), 1.4, 1.4);
    return {path, keyhole};
}

// A window with a plus badge on its lower right corner.
SymbolDrawing macwindowBadgePlus() {
    QPainterPath window = polyline({{13.5, 18}, {2.5, 18}, {2.5, 4}, {19.5, 4}, {19.5, 12}});
    window.addPath(polyline({{2.5, 8}, {19.5, 8}}));
    QPainterPath badge;
    badge.addEllipse(QPointF(18.5, 18), 5, 5);
    QPainterPath plus;
    plus.addRect(QRectF(17.6, 15, 1.8, 6));
    plus.addRect(QRectF(15.5, 17.1, 6, 1.8));
    return {window, badge.subtracted(plus)};
}

SymbolDrawing photoOnRectangle() {
    QPainterPath path = polyline({{7, 5.5}, {7, 3}, {21.5, 3}, {21.5, 14}, {19, 14}});
    path.addRoundedRect(QRectF(2.5, 7, 16.5, 13), 1.5, 1.5);
    path.addPath(polyline({{3, 18.5}, {8.5, 13}, {12, 16.5}, {14.5, 14}, {18.5, 18}}));
    QPainterPath sun;
    sun.addEllipse(QPointF(14.2, 10.8), 1.5, 1.5);
    return {path, sun};
}

// A ring around a number, as in "2.circle".
SymbolDrawing numberCircle(const QString& number) {
    QPainterPath ring;
    ring.addEllipse(QPointF(12, 12), 9.5, 9.5);
    QPainterPath digits;
    digits.addText(QPointF(), Fonts::system(number.size() > 1 ? 9 : 12, FontWeight::bold), number);
    digits.translate(QPointF(12, 12) - digits.boundingRect().center());
    return {ring, digits};
}

}  // namespace

std::optional<SymbolDrawing> sheetSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("lock"), lock},
        {QStringLiteral("macwindow.badge.plus"), macwindowBadgePlus},
        {QStringLiteral("photo.on.rectangle"), photoOnRectangle},
    };
    if (auto drawing = drawFrom(symbols, name)) return drawing;
    static const QRegularExpression numbered(QStringLiteral("^([0-9]{1,2})\\.circle$"));
    if (const auto match = numbered.match(name); match.hasMatch()) return numberCircle(match.captured(1));
    return std::nullopt;
}

}  // namespace tavero::SymbolIcons
