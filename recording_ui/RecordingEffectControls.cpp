#include "recording_ui/RecordingEffectControls.h"

#include "editor_ui/SteppedSlider.h"
#include "platform/Fonts.h"
#include "recording/studio/RecordingStudio.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>

#include <cmath>

namespace tavero {

namespace {

constexpr double toggleFontSize = 12;
constexpr double captionFontSize = 11;
// Hundredths of the zoom factor.
constexpr int zoomUnits = 100;

}  // namespace

RecordingEffectControls::RecordingEffectControls(Read read, Write write, QWidget* parent)
    : QWidget(parent), read_(std::move(read)), write_(std::move(write)) {
    const QFont toggleFont = Fonts::system(toggleFontSize, FontWeight::regular, logicalDpiY());
    // Made top to bottom, which is the keyboard's order.
    autoZoom_ = new QCheckBox(QStringLiteral("跟随鼠标自动缩放"), this);
    autoZoom_->setFont(toggleFont);
    zoom_ = new SteppedSlider(effectRanges::minZoom, effectRanges::maxZoom, 0.05, zoomUnits, this);
    // Its label shows the factor itself ("1.50×").
    zoom_->setUnitsPerShownValue(zoomUnits);
    zoom_->setAccessibleName(QStringLiteral("自动放大倍数"));
    zoomValue_ = new QLabel(this);
    zoomRow_ = row(QStringLiteral("放大"), zoom_, zoomValue_, 43);
    backgroundBlur_ = new QCheckBox(QStringLiteral("录制画面外的背景柔焦"), this);
    backgroundBlur_->setFont(toggleFont);
    padding_ = new SteppedSlider(effectRanges::minPadding, effectRanges::maxPadding, 0.01, 100, this);
    padding_->setAccessibleName(QStringLiteral("背景留白"));
    paddingValue_ = new QLabel(this);
    paddingRow_ = row(QStringLiteral("背景留白"), padding_, paddingValue_, 30);
    blur_ = new SteppedSlider(effectRanges::minBlur, effectRanges::maxBlur, 2, 1, this);
    blur_->setAccessibleName(QStringLiteral("背景柔焦强度"));
    blurValue_ = new QLabel(this);
    blurRow_ = row(QStringLiteral("柔焦强度"), blur_, blurValue_, 30);

    connect(autoZoom_, &QCheckBox::toggled, this, [this](bool on) { edit([on](RecordingEffects& e) { e.autoZoom = on; }); });
    connect(backgroundBlur_, &QCheckBox::toggled, this,
            [this](bool on) { edit([on](RecordingEffects& e) { e.backgroundBlur = on; }); });
    connect(zoom_, &SteppedSlider::valueEdited, this, [this](double v) { edit([v](RecordingEffects& e) { e.zoom = v; }); });
    connect(padding_, &SteppedSlider::valueEdited, this,
            [this](double v) { edit([v](RecordingEffects& e) { e.padding = v; }); });
    connect(blur_, &SteppedSlider::valueEdited, this, [this](double v) { edit([v](RecordingEffects& e) { e.blur = v; }); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(autoZoom_);
    column->addWidget(zoomRow_);
    column->addWidget(backgroundBlur_);
    column->addWidget(paddingRow_);
    column->addWidget(blurRow_);
    refresh();
}

RecordingEffectControls* RecordingEffectControls::forStudio(RecordingStudio& studio, QWidget* parent) {
    QPointer<RecordingStudio> held(&studio);
    auto* controls = new RecordingEffectControls(
        [held] { return held ? held->effects() : RecordingEffects(); },
        [held](const RecordingEffects& effects) {
            if (held) held->setEffects(effects);
        },
        parent);
    connect(&studio, &RecordingStudio::changed, controls, &RecordingEffectControls::refresh);
    return controls;
}

QWidget* RecordingEffectControls::row(const QString& caption, SteppedSlider* slider, QLabel* value, int valueWidth) {
    auto* line = new QWidget(this);
    auto* label = new QLabel(caption, line);
    label->setFont(Fonts::system(captionFontSize, FontWeight::regular, logicalDpiY()));
    value->setParent(line);
    value->setFont(Fonts::system(captionFontSize, FontWeight::regular, logicalDpiY()));
    value->setFixedWidth(valueWidth);
    slider->setParent(line);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(slider, 1);
    layout->addWidget(value);
    return line;
}

void RecordingEffectControls::edit(const std::function<void(RecordingEffects&)>& change) {
    RecordingEffects effects = read_();
    change(effects);
    write_(effects);
    refresh();
}

// Shown within the sliders' ranges, whatever the value holds.
void RecordingEffectControls::refresh() {
    const RecordingEffects effects = read_().withinRanges();
    const QSignalBlocker zoomBlock(autoZoom_);
    const QSignalBlocker blurBlock(backgroundBlur_);
    autoZoom_->setChecked(effects.autoZoom);
    backgroundBlur_->setChecked(effects.backgroundBlur);
    zoomRow_->setVisible(effects.autoZoom);
    paddingRow_->setVisible(effects.backgroundBlur);
    blurRow_->setVisible(effects.backgroundBlur);
    zoom_->showValue(effects.zoom);
    padding_->showValue(effects.padding);
    blur_->showValue(effects.blur);
    zoomValue_->setText(QString::asprintf("%.2f×", effects.zoom));
    paddingValue_->setText(QString::asprintf("%lld%%", qint64(std::round(effects.padding * 100))));
    blurValue_->setText(QString::asprintf("%lld", qint64(effects.blur)));
}

QString RecordingEffectControls::zoomText() const { return zoomValue_->text(); }

QString RecordingEffectControls::paddingText() const { return paddingValue_->text(); }

QString RecordingEffectControls::blurText() const { return blurValue_->text(); }

}  // namespace tavero
