#pragma once

#include "document/Ink.h"
#include "editor_ui/ChoiceButton.h"

#include <QList>
#include <QWidget>

class QLabel;

namespace tavero {

class ShotDocument;
class SteppedSlider;

// One colour of the palette: a disc outlined in grey, ringed in the accent
// while it is the document's ink. Screen readers hear "标注颜色" and the
// colour's name, and whether it is the chosen one. Main thread.
class InkButton : public ChoiceButton {
    Q_OBJECT
public:
    InkButton(const Ink& ink, const QString& colourName, QWidget* parent = nullptr);

    const Ink& ink() const { return ink_; }
    bool isChosen() const { return isChecked(); }
    void setChosen(bool chosen) { setChecked(chosen); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Ink ink_;
};

// The colour and width of the marks drawn next: a row of the seven palette
// colours, then "粗细" with a slider from 2 to 18 and its value. A colour
// also recolours the selected text label; the width only applies to marks
// drawn afterwards and makes no undo step.
//
// Observes the document; main thread.
class StrokeControls : public QWidget {
    Q_OBJECT
public:
    explicit StrokeControls(ShotDocument& document, QWidget* parent = nullptr);

    const QList<InkButton*>& inkButtons() const { return inks_; }
    SteppedSlider* widthSlider() const { return width_; }
    QLabel* widthLabel() const { return widthValue_; }

private:
    QWidget* makeInkRow();
    QWidget* makeWidthRow();
    void showDocument();

    ShotDocument& document_;
    QList<InkButton*> inks_;
    SteppedSlider* width_ = nullptr;
    QLabel* widthValue_ = nullptr;
};

}  // namespace tavero
