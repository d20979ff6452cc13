#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;

namespace tavero {

class ScrollingCapture;
class StartActionButton;

// The floating control bar of a scrolling screenshot: the symbol and title,
// how much is joined, the session's one-line status and the "完成" button.
// A frameless tool window on top of others that never takes the keyboard
// (the page keeps it while the user scrolls); dragging its background moves
// it. While shown it is one of OwnWindows, which the frames keep out, so it
// may lie over the region. Observes the session, which may go first. Main
// thread.
class ScrollCaptureBar : public QWidget {
    Q_OBJECT
public:
    explicit ScrollCaptureBar(ScrollingCapture& session, QWidget* parent = nullptr);
    ~ScrollCaptureBar() override;

    // "已接续 N 张 · H px".
    QString progressText() const;
    QString messageText() const;
    StartActionButton* finishButton() const { return finish_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();

    QPointer<ScrollingCapture> session_;
    QLabel* progress_ = nullptr;
    QLabel* message_ = nullptr;
    StartActionButton* finish_ = nullptr;
    std::optional<QPoint> grip_;
};

}  // namespace tavero
