#pragma once

#include <QWidget>

class QLabel;

namespace tavero {

class SegmentedPicker;
class ShotDocument;
class SteppedSlider;

// How the pixelate tool's covers hide what they cover: the style picker
// ("磨砂", "柔焦", "像素"), the strength (8 to 48, "模糊" or, for the pixel
// style, "颗粒") and, for the frosted style only, the density of its white
// wash ("雾面", 10 to 70 %). Each change sets the document's cover settings
// and restyles the selected cover; a new style and each slider gesture are
// one undo step, a click on a slider's track included.
//
// Observes the document; main thread.
class CoverControls : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 12;

    explicit CoverControls(ShotDocument& document, QWidget* parent = nullptr);

    SegmentedPicker* stylePicker() const { return style_; }
    QLabel* strengthCaption() const { return strengthCaption_; }
    SteppedSlider* strengthSlider() const { return strength_; }
    QLabel* strengthLabel() const { return strengthValue_; }
    QWidget* opacityRow() const { return opacityRow_; }
    SteppedSlider* opacitySlider() const { return opacity_; }
    QLabel* opacityLabel() const { return opacityValue_; }

private:
    QWidget* makeStrengthRow();
    QWidget* makeOpacityRow();
    void pickStyle(int index);
    void showDocument();

    ShotDocument& document_;
    SegmentedPicker* style_ = nullptr;
    QLabel* strengthCaption_ = nullptr;
    SteppedSlider* strength_ = nullptr;
    QLabel* strengthValue_ = nullptr;
    QWidget* opacityRow_ = nullptr;
    SteppedSlider* opacity_ = nullptr;
    QLabel* opacityValue_ = nullptr;
};

}  // namespace tavero
