#pragma once

#include <QAbstractButton>

namespace tavero {

// One choice of a row or grid of which exactly one is chosen (a segment, an
// aspect tile, a colour, a tool): checked while chosen. A click chooses it
// and never unchooses it; whoever owns the group reacts to `clicked` and
// unchecks the others.
//
// Screen readers meet it as a radio button that says whether it is chosen;
// their press and toggle actions click it, as the mouse does, so a choice
// made with a screen reader reaches the owner too. Main thread.
class ChoiceButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ChoiceButton(QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
};

}  // namespace tavero
