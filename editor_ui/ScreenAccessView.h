#pragma once

#include "app/model/ScreenAccessIntent.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace tavero {

class StartActionButton;
class SymbolLabel;

// The sheet that explains screen access before the first screenshot or
// recording of a run: what the permission is called, three steps, and a
// reassurance. "继续截图" (or "继续录屏") and Return run `continueAction`;
// "稍后再说" and Escape run `cancel`. The sheet keeps nothing; its owner
// closes it when either has cleared the waiting action.
//
// Main thread.
class ScreenAccessView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 530;

    ScreenAccessView(const ScreenAccessIntent& intent, std::function<void()> continueAction,
                     std::function<void()> cancel, QWidget* parent = nullptr);

    QLabel* title() const { return title_; }
    const QList<SymbolLabel*>& steps() const { return steps_; }
    QPushButton* laterButton() const { return later_; }
    StartActionButton* continueButton() const { return continue_; }

private:
    QWidget* makeSteps(const QString& kind);
    QWidget* makeButtons(const QString& kind);

    std::function<void()> continueAction_;
    std::function<void()> cancel_;
    QLabel* title_ = nullptr;
    QList<SymbolLabel*> steps_;
    QPushButton* later_ = nullptr;
    StartActionButton* continue_ = nullptr;
};

}  // namespace tavero
