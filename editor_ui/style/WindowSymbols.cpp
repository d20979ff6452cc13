#include "editor_ui/style/SymbolDrawing.h"

#include "platform/Fonts.h"

#include <QPainterPathStroker>
#include <QRegularExpression>

namespace tavero::SymbolIcons {

namespace {

const QPointF centre(12, 12);
constexpr double discRadius = 9.5;
// Lines cut out of a filled disc are a little wider than drawn lines, so
// they stay open at small sizes.
constexpr double cutWidth = 2.2;

QPainterPath disc(double radius = discRadius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath outlineOf(const QPainterPath& lines) {
    QPainterPathStroker stroker;
    stroker.setWidth(cutWidth);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(lines);
}

SymbolDrawing house() {
    QPainterPath path = polyline({{3.5, 11.5}, {12, 4}, {20.5, 11.5}});
    path.addPath(polyline({{6, 9.5}, {6, 20}, {18, 20}, {18, 9.5}}));
    path.addPath(polyline({{10, 20}, {10, 14.5}, {14, 14.5}, {14, 20}}));
    return {path, {}};
}

SymbolDrawing crop() {
    QPainterPath path = polyline({{7, 3}, {7, 17}, {21, 17}});
    path.addPath(polyline({{3, 7}, {17, 7}, {17, 21}}));
    return {path, {}};
}

SymbolDrawing clockArrowCirclepath() {
    const QRectF ring(4, 4, 16, 16);
    QPainterPath path;
    path.arcMoveTo(ring, 200);
    path.arcTo(ring, 200, -320);
    // The arrow head sits where the circle begins, pointing back along it.
    path.addPath(polyline({{1.8, 12.4}, {4.5, 14.7}, {7.2, 12.6}}));
    path.addPath(polyline({{12, 8}, {12, 12}, {15, 14}}));
    return {path, {}};
}

SymbolDrawing folder() {
    QPainterPath path = polyline({{3, 18.5}, {3, 5.5}, {9, 5.5}, {11, 7.5}, {21, 7.5}, {21, 18.5}});
    path.closeSubpath();
    path.addPath(polyline({{3, 10.5}, {21, 10.5}}));
    return {path, {}};
}

SymbolDrawing sliderHorizontal3() {
    QPainterPath lines;
    QPainterPath knobs;
    const double rows[] = {6, 12, 18};
    const double knobAt[] = {15, 8, 16};
    for (int row = 0; row < 3; ++row) {
        lines.addPath(polyline({{3, rows[row]}, {21, rows[row]}}));
        knobs.addEllipse(QPointF(knobAt[row], rows[row]), 2.6, 2.6);
    }
    return {lines, knobs};
}

SymbolDrawing recordCircle() {
    QPainterPath ring;
    ring.addEllipse(centre, 9, 9);
    return {ring, disc(4.5)};
}

SymbolDrawing stopCircleFill() {
    QPainterPath square;
    square.addRoundedRect(QRectF(8.5, 8.5, 7, 7), 1.2, 1.2);
    return {{}, disc().subtracted(square)};
}

SymbolDrawing sparklesRectangleStack() {
    QPainterPath path;
    path.addRoundedRect(QRectF(3, 10, 14, 10.5), 2, 2);
    path.addPath(polyline({{5.5, 7}, {14.5, 7}}));
    return {path, sparkle({19.5, 5}, 3.6)};
}

SymbolDrawing textViewfinder() {
    QPainterPath path = polyline({{3, 8}, {3, 3}, {8, 3}});
    path.addPath(polyline({{16, 3}, {21, 3}, {21, 8}}));
    path.addPath(polyline({{21, 16}, {21, 21}, {16, 21}}));
    path.addPath(polyline({{8, 21}, {3, 21}, {3, 16}}));
    path.addPath(polyline({{8, 9}, {16, 9}}));
    path.addPath(polyline({{8, 12}, {16, 12}}));
    path.addPath(polyline({{8, 15}, {13, 15}}));
    return {path, {}};
}

SymbolDrawing pin() {
    QPainterPath path = polyline({{8.5, 3}, {15.5, 3}});
    path.addPath(polyline({{10, 3}, {10, 9}, {6.5, 13.5}, {17.5, 13.5}, {14, 9}, {14, 3}}));
    path.addPath(polyline({{12, 13.5}, {12, 21}}));
    return {path, {}};
}

SymbolDrawing docOnDoc() {
    // Only the part of the back sheet that the front one leaves visible.
    QPainterPath path = polyline({{8, 6.5}, {8, 3}, {19.5, 3}, {19.5, 16.5}, {16, 16.5}});
    path.addRoundedRect(QRectF(4, 7, 12, 14), 1.5, 1.5);
    return {path, {}};
}

SymbolDrawing squareAndArrowDown() {
    QPainterPath path = polyline({{8, 9.5}, {4, 9.5}, {4, 21}, {20, 21}, {20, 9.5}, {16, 9.5}});
    path.addPath(polyline({{12, 3}, {12, 15.5}}));
    path.addPath(polyline({{8, 11.5}, {12, 15.5}, {16, 11.5}}));
    return {path, {}};
}

SymbolDrawing checkmarkCircleFill() {
    return {{}, disc().subtracted(outlineOf(polyline({{7.5, 12.5}, {10.5, 15.5}, {16.5, 8.8}})))};
}

SymbolDrawing xmark() {
    QPainterPath path = polyline({{6, 6}, {18, 18}});
    path.addPath(polyline({{18, 6}, {6, 18}}));
    return {path, {}};
}

// A disc with the number cut out of it, as in "3.circle.fill".
SymbolDrawing numberCircleFill(const QString& number) {
    QPainterPath digits;
    digits.addText(QPointF(), Fonts::system(number.size() > 1 ? 10 : 13, FontWeight::bold), number);
    const QRectF box = digits.boundingRect();
    digits.translate(centre - box.center());
    return {{}, disc().subtracted(digits)};
}

}  // namespace

std::optional<SymbolDrawing> windowSymbol(const QString& name) {
    static const SymbolTable symbols{
        {QStringLiteral("house"), house},
        {QStringLiteral("crop"), crop},
        {QStringLiteral("clock.arrow.circlepath"), clockArrowCirclepath},
        {QStringLiteral("folder"), folder},
        {QStringLiteral("slider.horizontal.3"), sliderHorizontal3},
        {QStringLiteral("record.circle"), recordCircle},
        {QStringLiteral("stop.circle.fill"), stopCircleFill},
        {QStringLiteral("sparkles.rectangle.stack"), sparklesRectangleStack},
        {QStringLiteral("text.viewfinder"), textViewfinder},
        {QStringLiteral("pin"), pin},
        {QStringLiteral("doc.on.doc"), docOnDoc},
        {QStringLiteral("square.and.arrow.down"), squareAndArrowDown},
        {QStringLiteral("checkmark.circle.fill"), checkmarkCircleFill},
        {QStringLiteral("xmark"), xmark},
    };
    if (auto drawing = drawFrom(symbols, name)) return drawing;
    static const QRegularExpression numbered(QStringLiteral("^([0-9]{1,2})\\.circle\\.fill$"));
    if (const auto match = numbered.match(name); match.hasMatch()) return numberCircleFill(match.captured(1));
    return std::nullopt;
}

}  // namespace tavero::SymbolIcons
