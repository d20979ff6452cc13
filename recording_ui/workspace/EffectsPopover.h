#pragma once

#include <QFrame>

#include <functional>

class QPushButton;

namespace tavero {

class RecordingStudio;

// The video workspace's "画面效果" popover: the smart-camera controls bound
// to the studio's effects, and "重新生成成片", which closes the popover
// before it asks the studio for the render. A click outside closes it too.
//
// Main thread.
class EffectsPopover : public QFrame {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 340;
    // Makes the effect controls for the studio, inside `parent`; the program
    // hands in the recording interface's own.
    using EffectControls = std::function<QWidget*(RecordingStudio& studio, QWidget* parent)>;

    EffectsPopover(RecordingStudio& studio, const EffectControls& controls, QWidget* parent);

    // Opens under `anchor`, centred on it; above it when the screen has no
    // room below, so that "重新生成成片" is never off the screen. Its first
    // control has the focus.
    void showBelow(const QWidget& anchor);
    // Where a popover of `size` goes for an anchor at `anchor` (global
    // coordinates) on a screen whose free area is `screen`.
    static QPoint placeFor(QSize size, const QRect& anchor, const QRect& screen);
    QPushButton* renderButton() const { return render_; }

signals:
    void closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* firstControl() const;

    QPushButton* render_ = nullptr;
};

}  // namespace tavero
