#pragma once

#include "recording/RecordingPhase.h"

#include <QPointer>
#include <QPushButton>

namespace tavero {

class AppModel;
class RecordingStudio;

// The header's start and stop button for recordings. It decides nothing: a
// press hands the record command to the studio's application model, which
// opens the set-up, stops a take or cancels a countdown. Its title, symbol
// and colour follow the studio's phase: "录屏" while idle, a red "停止录屏"
// otherwise; it cannot be pressed while a take is being saved or a retake
// prepared.
//
// Observes the studio; holds it and its model weakly. Main thread.
class RecordingButton : public QPushButton {
    Q_OBJECT
public:
    // `model` is the studio's owner, the one the press reaches.
    RecordingButton(RecordingStudio& studio, AppModel& model, QWidget* parent = nullptr);

    // Dresses the button for `phase`; the studio's phase changes call it.
    void showPhase(RecordingPhase phase);

private:
    void press();

    QPointer<RecordingStudio> studio_;
    QPointer<AppModel> model_;
    QColor primary_;
};

}  // namespace tavero
