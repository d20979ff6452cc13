#pragma once

#include <QAbstractButton>

namespace tavero {

// The quiet button of the start screen's task cards: it draws nothing of its
// own and only reacts. Its children (laid out by its owner) are its face; a
// press anywhere on its rectangle counts, padding and gaps included, since
// the children let the mouse through. Pressed it shows at 0.8 opacity and
// shrinks to 0.99 about its centre; disabled it shows at 0.5 and does not
// react. Its owner gives it its focus mark (FocusRing), as it has no face
// of its own to draw one on.
//
// Main thread.
class ShortcutActionButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ShortcutActionButton(QWidget* parent = nullptr);

    static constexpr double disabledOpacity = 0.5;
    static constexpr double pressedOpacity = 0.8;
    static constexpr double pressedScale = 0.99;

    // What the button shows now: opacity and scale.
    double shownOpacity() const;
    double shownScale() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void showState();
};

}  // namespace tavero
