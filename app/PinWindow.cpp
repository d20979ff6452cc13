#include "app/PinWindow.h"

#include "app/PinView.h"

#include <QBoxLayout>

#include <algorithm>

namespace tavero {

QSizeF PinWindow::contentSize(QSize pixels) {
    if (pixels.isEmpty()) return {0, minimumPictureHeight + PinView::controlRowHeight};
    const double width = std::min(double(pixels.width()), maximumPictureSide);
    const double height = width * pixels.height() / pixels.width();
    const double picture = height < maximumPictureSide ? std::max(height, minimumPictureHeight) : maximumPictureSide;
    return {width, picture + PinView::controlRowHeight};
}

PinWindow::PinWindow(const QImage& picture)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint),
      view_(new PinView(picture, this, this)) {
    setWindowTitle(QStringLiteral("贴图 · 可拖动与缩放"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    resize(contentSize(picture.size()).toSize());
}

}  // namespace tavero
