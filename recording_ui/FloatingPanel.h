#pragma once

#include <QWidget>

#include <optional>

namespace tavero {

// A frameless window of the recording that floats above other windows on
// every workspace and is kept out of the recording while shown (one of
// OwnWindows). It never takes the keyboard unless allowed to (see
// setTakesKeyboard); dragging its background moves it when movable. A
// click-through panel is not managed by the window manager: it stays where
// it is put, on every workspace, and is raised whenever presented.
// Main thread.
class FloatingPanel : public QWidget {
    Q_OBJECT
public:
    enum class Input { clicks, clickThrough };

    FloatingPanel(const QString& title, Input input, QWidget* parent = nullptr);
    ~FloatingPanel() override;

    void setMovable(bool movable) { movable_ = movable; }
    // Whether the window manager may give the panel the keyboard; set before
    // the panel is shown.
    void setTakesKeyboard(bool takes);
    // Shows the panel in front, without taking the keyboard from the program
    // that has it.
    void present();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool movable_ = false;
    std::optional<QPoint> grip_;
};

}  // namespace tavero
