#include "editor_ui/StrokeControls.h"

#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/PanelLook.h"
#include "editor_ui/SteppedSlider.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

#include <array>

namespace tavero {

namespace {

constexpr int discSide = 19;
constexpr int discPadding = 2;
constexpr int inkSpacing = 7;
constexpr double outlineOpacity = 0.3;
constexpr double ringWidth = 2;
constexpr int widthValueFrame = 18;

// What a screen reader says for each colour of the palette, in its order.
const std::array<const char*, Ink::palette.size()> inkNames{"红色", "青绿色", "黄色", "蓝色", "紫色", "黑色", "白色"};

}  // namespace

InkButton::InkButton(const Ink& ink, const QString& colourName, QWidget* parent) : ChoiceButton(parent), ink_(ink) {
    setAccessibleName(QStringLiteral("标注颜色 ") + colourName);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    // The mark lies around the button, outside the ring of the chosen colour, so both show.
    FocusRing::setControlRadius(*this, width() / 2.0);
}

QSize InkButton::sizeHint() const { return {discSide + 2 * discPadding, discSide + 2 * discPadding}; }

void InkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(discPadding, discPadding, discSide, discSide);
    painter.setBrush(ink_.color());
    painter.setPen(QPen(EditorLook::faded(QColor(Qt::gray), outlineOpacity), 1));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    if (isChecked()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(EditorLook::accent(), ringWidth));
        painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

StrokeControls::StrokeControls(ShotDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(PanelLook::rowSpacing);
    column->addWidget(makeInkRow());
    column->addWidget(makeWidthRow());
    connect(&document, &ShotDocument::changed, this, &StrokeControls::showDocument);
    showDocument();
}

QWidget* StrokeControls::makeInkRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (std::size_t index = 0; index < Ink::palette.size(); ++index) {
        const Ink& ink = Ink::palette[index];
        auto* button = new InkButton(ink, QString::fromUtf8(inkNames[index]), row);
        connect(button, &QAbstractButton::clicked, this, [this, ink] { document_.changeInk(ink); });
        if (!inks_.isEmpty()) layout->addStretch();
        inks_.append(button);
        layout->addWidget(button);
    }
    // Seven colours 7 points apart are wider than the sidebar leaves; the
    // gaps share what room there is, up to that spacing.
    row->setMaximumWidth(int(inks_.size()) * inks_.first()->sizeHint().width() + int(inks_.size() - 1) * inkSpacing);
    return row;
}

QWidget* StrokeControls::makeWidthRow() {
    width_ = new SteppedSlider(2, 18, 1);
    connect(width_, &SteppedSlider::valueEdited, this, [this](double width) { document_.setLineWidth(width); });
    widthValue_ = PanelLook::valueLabel(this, widthValueFrame);
    return PanelLook::sliderRow(PanelLook::caption(QStringLiteral("粗细"), this), width_, widthValue_, this);
}

void StrokeControls::showDocument() {
    for (InkButton* button : inks_) button->setChosen(button->ink() == document_.ink());
    width_->showValue(document_.lineWidth());
    widthValue_->setText(PanelLook::wholeNumber(document_.lineWidth()));
}

}  // namespace tavero
