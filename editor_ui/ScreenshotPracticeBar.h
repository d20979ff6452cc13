#pragma once

#include "app/model/ScreenshotPracticeStep.h"

#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

namespace tavero {

// The strip that guides a first-time user through one screenshot on the
// practice image: four step chips (done, current, ahead), the instruction for
// the current step, one action button and a close button. It only shows
// where the user is; what the action does and when the step advances are
// decided by its owner.
//
// Main thread.
class ScreenshotPracticeBar : public QWidget {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    ScreenshotPracticeBar(ScreenshotPracticeStep step, Action act, Action dismiss, QWidget* parent = nullptr);

    ScreenshotPracticeStep step() const { return step_; }
    void setStep(ScreenshotPracticeStep step);

    QLabel* instruction() const { return instruction_; }
    QPushButton* actionButton() const { return action_; }
    QToolButton* closeButton() const { return close_; }

private:
    struct Chip {
        QLabel* symbol;
        QLabel* title;
    };

    QWidget* makeChips();
    void showStep();

    ScreenshotPracticeStep step_;
    Action act_;
    Action dismiss_;
    QList<Chip> chips_;
    QLabel* instruction_ = nullptr;
    QPushButton* action_ = nullptr;
    QToolButton* close_ = nullptr;
};

}  // namespace tavero
