#pragma once

#include "app/model/ScreenshotPracticeStep.h"

#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

namespace tavero {

class AppModel;
class MainViewState;
class ScreenshotPracticeBar;

// The row between the action bar and the canvas: the practice bar while the
// first-screenshot practice runs, otherwise the one-time editor hint until
// the user dismisses it, otherwise nothing. The two never show together.
// Closing the practice ends it and dismisses the hint as well.
//
// Observes the model's flow and the window's state; main thread.
class GuidanceRow : public QWidget {
    Q_OBJECT
public:
    // What the practice bar's action button does at each step.
    using PracticeAction = std::function<void(ScreenshotPracticeStep)>;

    GuidanceRow(AppModel& model, MainViewState& state, PracticeAction practiceAction, QWidget* parent = nullptr);

    ScreenshotPracticeBar* practiceBar() const { return practiceBar_; }
    QWidget* hint() const { return hint_; }
    QToolButton* hintDismissButton() const { return hintDismiss_; }

private:
    QWidget* makeHint();
    void endPractice();
    void refresh();

    AppModel& model_;
    MainViewState& state_;
    ScreenshotPracticeBar* practiceBar_ = nullptr;
    QWidget* hint_ = nullptr;
    QToolButton* hintDismiss_ = nullptr;
};

}  // namespace tavero
