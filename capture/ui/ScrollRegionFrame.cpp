#include "capture/ui/ScrollRegionFrame.h"

#include "editor_ui/style/TaveroStyle.h"

#include <QPainter>

namespace tavero {

ScrollRegionFrame::ScrollRegionFrame(const QRect& region, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(QStringLiteral("长截图范围"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setGeometry(region.adjusted(-lineWidth, -lineWidth, lineWidth, lineWidth));
}

void ScrollRegionFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), TaveroStyle::green());
}

void ScrollRegionFrame::resizeEvent(QResizeEvent*) {
    const QRegion outside(rect());
    setMask(outside.subtracted(QRegion(rect().adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth))));
}

}  // namespace tavero
