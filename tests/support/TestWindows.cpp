#include "tests/support/TestWindows.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

namespace tavero::test {

PictureWindow::PictureWindow(QImage picture, const QRect& geometry) : picture_(std::move(picture)) {
    setGeometry(geometry);
}

bool PictureWindow::showAndWait() {
    show();
    return QTest::qWaitForWindowExposed(this, 5000);
}

void PictureWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}

bool samePixels(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull()) return false;
    const auto format = QImage::Format_RGBA8888_Premultiplied;
    return a.convertToFormat(format) == b.convertToFormat(format);
}

QImage grabUntil(const std::function<QImage()>& grab, const QImage& expected, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QImage image = grab();
    while (!samePixels(image, expected) && clock.elapsed() < timeoutMs) {
        QTest::qWait(20);
        image = grab();
    }
    return image;
}

}  // namespace tavero::test
