// A page of text scrolling over the whole screen, 4 pixels 30 times a
// second, in a process of its own, so that what a recording benchmark
// measures of a recorder is the recorder's alone. With "--still" the page
// stands still.
#include "tests/support/Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int scrollStep = 4;

class ScrollingPage : public QRasterWindow {
public:
    ScrollingPage(const QRect& place, bool scrolling)
        : page_(tavero::fixtures::textPage(place.width(), place.height() * 2).convertToFormat(QImage::Format_RGB32)) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(place);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            offset_ = (offset_ + scrollStep) % height();
            update();
        });
        if (scrolling) timer_.start(33);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, -offset_, page_); }

private:
    QImage page_;
    QTimer timer_;
    int offset_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const bool still = QCoreApplication::arguments().contains(QStringLiteral("--still"));
    ScrollingPage page(QGuiApplication::primaryScreen()->geometry(), !still);
    page.show();
    return app.exec();
}
