#include "app/PinWindow.h"

#include "app/PinView.h"

#include <QAccessibleWidget>
#include <QBoxLayout>
#include <QCloseEvent>

#include <algorithm>

namespace tavero {

namespace {

// Qt reads a window of the plain widget class as a filler.
QAccessibleInterface* pinWindowAccessible(const QString&, QObject* object) {
    if (auto* window = qobject_cast<PinWindow*>(object)) return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

}  // namespace

QSizeF PinWindow::contentSize(QSize pixels) {
    if (pixels.isEmpty()) return {0, minimumPictureHeight + PinView::controlRowHeight};
    const double width = std::min(double(pixels.width()), maximumPictureSide);
    const double height = width * pixels.height() / pixels.width();
    const double picture = height < maximumPictureSide ? std::max(height, minimumPictureHeight) : maximumPictureSide;
    return {width, picture + PinView::controlRowHeight};
}

PinWindow::PinWindow(const QImage& picture, std::function<void()> closed)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint),
      view_(new PinView(picture, this, this)), closed_(std::move(closed)) {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(pinWindowAccessible);
        return true;
    }();
    setWindowTitle(QStringLiteral("贴图 · 可拖动与缩放"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    resize(contentSize(picture.size()).toSize());
}

// Qt hides the window only after this returns; whoever hears of the close
// finds it hidden already.
void PinWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted()) return;
    hide();
    if (closed_) closed_();
}

}  // namespace tavero
