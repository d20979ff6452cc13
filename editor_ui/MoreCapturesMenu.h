#pragma once

#include <QMenu>

class QAction;
class QActionGroup;

namespace tavero {

class AppModel;

// The header's "更多截图" menu: the other screenshot modes, the scrolling
// screenshot, the capture delay and whether the pointer is captured. The
// delay and the pointer are bound to the model both ways, so the menu shows
// the current values whenever it opens. Main thread, over a model that
// outlives it.
class MoreCapturesMenu : public QMenu {
    Q_OBJECT
public:
    // The delays offered, in seconds, with their labels.
    static constexpr int delays[] = {0, 3, 5, 10};

    explicit MoreCapturesMenu(AppModel& model, QWidget* parent = nullptr);

    QAction* delayAction(int seconds) const;
    QAction* cursorAction() const { return cursor_; }
    // The items that take a screenshot; the delay and the pointer stay
    // settable while they are disabled.
    const QList<QAction*>& captureActions() const { return captureActions_; }
    void setCaptureEnabled(bool enabled);

private:
    void addCaptureItems();
    void addDelayPicker();
    void showModel();

    AppModel& model_;
    QActionGroup* delayGroup_ = nullptr;
    QAction* cursor_ = nullptr;
    QList<QAction*> captureActions_;
};

}  // namespace tavero
