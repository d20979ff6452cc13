#include "editor_ui/BusySpinner.h"

#include "editor_ui/EditorLook.h"

#include <QPainter>

namespace tavero {

namespace {

constexpr int stepDegrees = 30;
constexpr int stepInterval = 80;  // milliseconds
constexpr double lineWidth = 2;
constexpr int arcDegrees = 270;

}  // namespace

BusySpinner::BusySpinner(QWidget* parent) : QWidget(parent) {
    setFixedSize(side, side);
    turn_.setInterval(stepInterval);
    connect(&turn_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + stepDegrees) % 360;
        update();
    });
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = QRectF(rect()).adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth);
    painter.setPen(QPen(EditorLook::faded(palette().color(QPalette::WindowText), 0.15), lineWidth));
    painter.drawEllipse(ring);
    painter.setPen(QPen(EditorLook::secondaryText(this), lineWidth, Qt::SolidLine, Qt::RoundCap));
    // QPainter counts arcs in sixteenths of a degree, counter-clockwise.
    painter.drawArc(ring, -angle_ * 16, arcDegrees * 16);
}

void BusySpinner::showEvent(QShowEvent*) { turn_.start(); }

void BusySpinner::hideEvent(QHideEvent*) { turn_.stop(); }

}  // namespace tavero
