#pragma once

#include "camera/WebcamFeed.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace tavero::test {

// A camera picture whose four quarters tell where a crop came from: red
// top-left, green top-right, blue bottom-left, yellow bottom-right.
inline QImage quarterCard(QSize size = {640, 360}) {
    QImage card(size, QImage::Format_RGB32);
    QPainter painter(&card);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, w, h, Qt::green);
    painter.fillRect(0, h, w, h, Qt::blue);
    painter.fillRect(w, h, w, h, Qt::yellow);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPoint(w, h), h / 3, h / 3);
    return card;
}

// A feed that was never started: the test hands it its pictures.
class PictureFeed final : public WebcamFeed {
public:
    void start(bool, Completion completion) override {
        if (completion) completion(true);
    }
    void stop() override {}
    bool ready() const override { return true; }
    bool preparing() const override { return false; }
    QString message() const override { return QStringLiteral("合成摄像头 · 640 × 360"); }
};

// One mouse event at `local` in `widget`, `origin` being where the
// widget's top-left corner was on the screen when the gesture began (a
// gesture may move the widget's window under the pointer).
inline void sendMouse(QWidget& widget, QEvent::Type type, QPointF local, QPointF origin, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, local, origin + local, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// A press at `from`, a move to `to` in `steps` steps, a release there.
inline void drag(QWidget& widget, QPointF from, QPointF to, int steps = 3) {
    const QPointF origin = widget.mapToGlobal(QPointF(0, 0));
    sendMouse(widget, QEvent::MouseButtonPress, from, origin, Qt::LeftButton);
    for (int step = 1; step <= steps; ++step)
        sendMouse(widget, QEvent::MouseMove, from + (to - from) * step / steps, origin, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, to, origin, Qt::NoButton);
}

}  // namespace tavero::test
