#include "app/PinView.h"

#include "platform/Fonts.h"
#include "platform/images/PngEncoder.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace tavero {

namespace {

// The slider counts in hundredths of opacity.
constexpr int sliderScale = 100;
constexpr int rowPadding = 8;
constexpr int rowSpacing = 8;
constexpr double captionSize = 10;
// What the row leaves for its controls inside its padding.
constexpr int controlHeight = PinView::controlRowHeight - 2 * rowPadding;

// The picture, scaled to fit the space it is given, proportions kept,
// centred; it takes whatever room the panel has as the user resizes it.
class PinPicture final : public QWidget {
public:
    PinPicture(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    QSize sizeHint() const override { return {0, 0}; }
    QSize minimumSizeHint() const override { return {0, 0}; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.isNull() || width() <= 0 || height() <= 0) return;
        const QSizeF fitted = QSizeF(image_.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image_);
    }

private:
    QImage image_;
};

QWidget* controlRow(QWidget* parent, QSlider*& slider, QPushButton*& copy) {
    auto* row = new QWidget(parent);
    row->setFixedHeight(PinView::controlRowHeight);
    auto* caption = new QLabel(QStringLiteral("透明度"), row);
    caption->setFont(Fonts::system(captionSize, FontWeight::regular, parent->logicalDpiY()));
    slider = new QSlider(Qt::Horizontal, row);
    // The caption names the slider for screen readers.
    caption->setBuddy(slider);
    slider->setRange(int(PinView::minimumOpacity * sliderScale), sliderScale);
    slider->setValue(sliderScale);
    copy = new QPushButton(QStringLiteral("复制"), row);
    copy->setFont(Fonts::system(captionSize + 2, FontWeight::regular, parent->logicalDpiY()));
    copy->setFixedHeight(controlHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(rowPadding, rowPadding, rowPadding, rowPadding);
    layout->setSpacing(rowSpacing);
    layout->addWidget(caption, 0, Qt::AlignVCenter);
    layout->addWidget(slider, 1, Qt::AlignVCenter);
    layout->addWidget(copy, 0, Qt::AlignVCenter);
    return row;
}

}  // namespace

PinView::PinView(QImage image, QWidget* window, QWidget* parent)
    : QWidget(parent), image_(std::move(image)), window_(window) {
    QSlider* slider = nullptr;
    QPushButton* copy = nullptr;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new PinPicture(image_, this), 1);
    layout->addWidget(controlRow(this, slider, copy));
    connect(slider, &QSlider::valueChanged, this, [this](int value) { setOpacity(double(value) / sliderScale); });
    connect(copy, &QPushButton::clicked, this, [this] { copyPicture(); });
}

void PinView::setOpacity(double opacity) {
    opacity_ = opacity;
    if (window_) window_->setWindowOpacity(opacity_);
}

void PinView::copyPicture() const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // Qt writes a picture with an alpha channel as RGBA, though a screenshot has no transparent pixel.
    clipboard->setImage(png::isOpaque(image_) ? image_.convertToFormat(QImage::Format_RGB32) : image_);
}

}  // namespace tavero
