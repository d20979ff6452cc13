#include "editor_ui/CoverControls.h"

#include "document/ShotDocument.h"
#include "editor_ui/PanelLook.h"
#include "editor_ui/SegmentedPicker.h"
#include "editor_ui/SteppedSlider.h"

#include <QBoxLayout>
#include <QLabel>

namespace tavero {

namespace {

constexpr int strengthFrame = 20;
constexpr int opacityFrame = 30;
// The opacity slider counts in hundredths, so 0.28 sits exactly where it is.
constexpr int opacityUnits = 100;

QStringList styleTitles() {
    QStringList titles;
    for (ObscureStyle style : allObscureStyles) titles.append(title(style));
    return titles;
}

}  // namespace

CoverControls::CoverControls(ShotDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    style_ = new SegmentedPicker(styleTitles(), this);
    style_->setAccessibleName(QStringLiteral("遮盖样式"));
    connect(style_, &SegmentedPicker::picked, this, &CoverControls::pickStyle);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    column->addWidget(style_);
    column->addWidget(makeStrengthRow());
    column->addWidget(makeOpacityRow());
    connect(&document, &ShotDocument::changed, this, &CoverControls::showDocument);
    showDocument();
}

// "Current" is always the document's value at the moment of the change, so
// one field never resets another.
QWidget* CoverControls::makeStrengthRow() {
    strength_ = new SteppedSlider(8, 48, 1);
    connect(strength_, &SteppedSlider::gestureStarted, this, [this] { document_.checkpointObscureChange(); });
    connect(strength_, &SteppedSlider::valueEdited, this, [this](double strength) {
        ObscureSettings settings = document_.obscureSettings();
        settings.strength = strength;
        document_.changeObscure(settings, false);
    });
    strengthCaption_ = PanelLook::caption(QString(), this);
    strengthValue_ = PanelLook::valueLabel(this, strengthFrame);
    return PanelLook::sliderRow(strengthCaption_, strength_, strengthValue_, this);
}

QWidget* CoverControls::makeOpacityRow() {
    opacity_ = new SteppedSlider(0.1, 0.7, 0.05, opacityUnits);
    opacity_->setAccessibleName(QStringLiteral("雾面浓度"));
    connect(opacity_, &SteppedSlider::gestureStarted, this, [this] { document_.checkpointObscureChange(); });
    connect(opacity_, &SteppedSlider::valueEdited, this, [this](double opacity) {
        ObscureSettings settings = document_.obscureSettings();
        settings.opacity = opacity;
        document_.changeObscure(settings, false);
    });
    opacityValue_ = PanelLook::valueLabel(this, opacityFrame);
    opacityRow_ = PanelLook::sliderRow(PanelLook::caption(QStringLiteral("雾面"), this), opacity_, opacityValue_, this);
    return opacityRow_;
}

void CoverControls::pickStyle(int index) {
    ObscureSettings settings = document_.obscureSettings();
    settings.style = allObscureStyles[size_t(index)];
    document_.changeObscure(settings, true);
}

void CoverControls::showDocument() {
    const ObscureSettings settings = document_.obscureSettings();
    const bool pixel = settings.style == ObscureStyle::pixel;
    style_->showSelected(int(settings.style));
    strengthCaption_->setText(pixel ? QStringLiteral("颗粒") : QStringLiteral("模糊"));
    strength_->setAccessibleName(pixel ? QStringLiteral("颗粒大小") : QStringLiteral("模糊强度"));
    strength_->showValue(settings.strength);
    strengthValue_->setText(PanelLook::wholeNumber(settings.strength));
    opacityRow_->setVisible(settings.style == ObscureStyle::frosted);
    opacity_->showValue(settings.opacity);
    opacityValue_->setText(PanelLook::percent(settings.opacity));
}

}  // namespace tavero
