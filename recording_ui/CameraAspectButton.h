#pragma once

#include "camera/CameraFraming.h"
#include "editor_ui/ChoiceButton.h"

namespace tavero {

// One output aspect in the framing controls' grid: a rounded tile with a
// check mark and the aspect's label, filled with the brand green while its
// aspect is the current one. Main thread.
class CameraAspectButton : public ChoiceButton {
    Q_OBJECT
public:
    CameraAspectButton(CameraAspect aspect, QWidget* parent = nullptr);

    CameraAspect aspect() const { return aspect_; }
    void setCurrent(bool current);
    bool current() const { return current_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CameraAspect aspect_;
    bool current_ = false;
};

}  // namespace tavero
