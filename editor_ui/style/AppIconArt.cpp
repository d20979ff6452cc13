#include "editor_ui/style/AppIconArt.h"

#include "editor_ui/style/TaveroStyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavero {

namespace {

void drawTile(QPainter& painter, double side) {
    const double margin = side * 0.06;
    const QRectF tile(margin, margin, side - 2 * margin, side - 2 * margin);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, QColor::fromRgbF(0.02f, 0.57f, 0.49f));
    gradient.setColorAt(1, TaveroStyle::green());
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(tile, side * 0.22, side * 0.22);
}

void drawViewfinder(QPainter& painter, double side) {
    const double inset = side * 0.25;
    const double arm = side * 0.15;
    QPen pen(Qt::white, side * 0.065, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double near = inset, far = side - inset;
    for (const auto& [x, y, dx, dy] : {std::tuple{near, near, 1.0, 1.0}, std::tuple{far, near, -1.0, 1.0},
                                        std::tuple{near, far, 1.0, -1.0}, std::tuple{far, far, -1.0, -1.0}}) {
        QPainterPath corner(QPointF(x + dx * arm, y));
        corner.lineTo(x, y);
        corner.lineTo(x, y + dy * arm);
        painter.drawPath(corner);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(side / 2, side / 2), side * 0.09, side * 0.09);
}

QPixmap drawn(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawTile(painter, side);
    drawViewfinder(painter, side);
    return pixmap;
}

}  // namespace

QIcon appIconArt() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) icon.addPixmap(drawn(side));
    return icon;
}

}  // namespace tavero
