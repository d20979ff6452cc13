#pragma once

#include "editor_ui/RoundedSurface.h"

class QAbstractButton;

namespace tavero {

class AppModel;
class ShortcutActionButton;
class StartExample;

// One of the start screen's two large task cards, screenshot or recording:
// a title area that is one big button, the illustration, the main action
// (the hot key's key caps, or "开始录屏") and a footer that says what happens
// next, with a link to a long screenshot on the screenshot card. Every
// button starts an area screenshot or the recording set-up; nothing is
// captured or recorded by the click alone. The start screen disables them
// while a capture is blocked.
//
// Main thread.
class TaskCard : public RoundedSurface {
    Q_OBJECT
public:
    enum class Kind { screenshot, recording };

    TaskCard(Kind kind, AppModel& model, QWidget* parent = nullptr);

    ShortcutActionButton* titleArea() const { return titleArea_; }
    StartExample* example() const { return example_; }
    // The key-cap button, or "开始录屏".
    QAbstractButton* mainAction() const { return mainAction_; }
    // "长截图"; null on the recording card.
    QAbstractButton* scrollingLink() const { return scrollingLink_; }

    void setCaptureBlocked(bool blocked);

private:
    bool recording() const { return kind_ == Kind::recording; }
    const QColor& accent() const;
    void start();
    ShortcutActionButton* makeTitleArea();
    QAbstractButton* makeMainAction();
    ShortcutActionButton* makeKeyCapButton();
    QWidget* makeFooter();

    const Kind kind_;
    AppModel& model_;
    ShortcutActionButton* titleArea_ = nullptr;
    StartExample* example_ = nullptr;
    QAbstractButton* mainAction_ = nullptr;
    QAbstractButton* scrollingLink_ = nullptr;
};

}  // namespace tavero
