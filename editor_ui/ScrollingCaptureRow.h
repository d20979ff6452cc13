#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tavero {

class AppModel;

// The strip above the canvas while a scrolling screenshot runs: how many
// frames are joined, a reminder to keep scrolling, a button that brings the
// session's floating bar forward and "完成并保存". Shown from the first frame
// (the model's scrollCount 1) until the count returns to 0.
//
// Observes the model; main thread.
class ScrollingCaptureRow : public QWidget {
    Q_OBJECT
public:
    explicit ScrollingCaptureRow(AppModel& model, QWidget* parent = nullptr);

    QLabel* countLabel() const { return count_; }
    QPushButton* presentButton() const { return present_; }
    QPushButton* finishButton() const { return finish_; }

private:
    void showCount();

    AppModel& model_;
    QLabel* count_ = nullptr;
    QPushButton* present_ = nullptr;
    QPushButton* finish_ = nullptr;
};

}  // namespace tavero
