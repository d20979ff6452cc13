#pragma once

#include "document/FrameOptions.h"
#include "editor_ui/ChoiceButton.h"

#include <QColor>

namespace tavero {

// The background sheet's buttons for one preset, marked while it is the
// chosen one in the sheet's tint; screen readers hear which one that is.
// Main thread.
class FramePresetButton : public ChoiceButton {
    Q_OBJECT
public:
    FramePresetButton(FramePreset preset, const QColor& tint, QWidget* parent = nullptr);

    FramePreset preset() const { return preset_; }
    bool isChosen() const { return isChecked(); }
    void setChosen(bool chosen) { setChecked(chosen); }

protected:
    const QColor& tint() const { return tint_; }

private:
    FramePreset preset_;
    QColor tint_;
};

// A gradient preset: a rounded bar of the gradient with the title below it;
// the chosen one carries a check mark and a ring.
class GradientSwatch : public FramePresetButton {
    Q_OBJECT
public:
    GradientSwatch(FramePreset preset, const QColor& tint, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A solid preset: a small disc of its colour and its title, in the tint while chosen.
class SolidButton : public FramePresetButton {
    Q_OBJECT
public:
    SolidButton(FramePreset preset, const QColor& tint, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tavero
