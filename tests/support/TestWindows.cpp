#include "tests/support/TestWindows.h"

#include "tests/support/Pictures.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <csignal>

namespace tavero::test {

PictureWindow::PictureWindow(QImage picture, const QRect& geometry, Qt::WindowFlags flags)
    : picture_(std::move(picture)) {
    setFlags(flags);
    setGeometry(geometry);
}

bool PictureWindow::showAndWait() {
    show();
    return QTest::qWaitForWindowExposed(this, 20'000);
}

void PictureWindow::setPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void PictureWindow::drawAt(QPoint at, const QImage& pixels) {
    QPainter(&picture_).drawImage(at, pixels);
    update(QRect(at, pixels.size()));
}

void PictureWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}

FloatingWindow::FloatingWindow(QImage picture, const QRect& geometry, const QRegion& shape)
    : PictureWindow(std::move(picture), geometry,
                    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                        Qt::X11BypassWindowManagerHint) {
    if (!shape.isEmpty()) setMask(shape);
}

ForeignWindow::ForeignWindow(const QRect& place, quint32 seed, QString title)
    : place_(place), seed_(seed), title_(std::move(title)) {}

ForeignWindow::~ForeignWindow() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(2000)) process_.kill();
    process_.waitForFinished(2000);
}

bool ForeignWindow::start() {
    // Its place and pattern are in pixels, whatever scale the test runs at.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    process_.setProcessEnvironment(environment);
    process_.start(QStringLiteral(TAVERO_TEST_WINDOW_PATH),
                   {QString::number(place_.x()), QString::number(place_.y()), QString::number(place_.width()),
                    QString::number(place_.height()), QString::number(seed_), title_});
    if (!process_.waitForStarted(5000)) return false;
    return QTest::qWaitFor([&] { return process_.canReadLine() && process_.readLine().startsWith("ready"); }, 30'000);
}

QImage ForeignWindow::picture() const { return fixtures::noise(place_.width(), place_.height(), seed_); }

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

StoppedProgram::StoppedProgram(qint64 processID) : processID_(processID) { ::kill(pid_t(processID_), SIGSTOP); }

StoppedProgram::~StoppedProgram() { resume(); }

void StoppedProgram::resume() { ::kill(pid_t(processID_), SIGCONT); }

}  // namespace tavero::test
