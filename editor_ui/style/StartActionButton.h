#pragma once

#include "editor_ui/style/StartActionStyle.h"

#include <QAbstractButton>

namespace tavero {

// A push button dressed in a StartActionStyle: its height is the style's,
// its width follows the label unless a layout gives it more, and a press
// anywhere on its rounded rectangle, padding included, counts. Main thread.
class StartActionButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit StartActionButton(const QString& text, StartActionStyle style = {}, QWidget* parent = nullptr);

    const StartActionStyle& actionStyle() const { return style_; }
    void setActionStyle(const StartActionStyle& style);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    StartActionStyle style_;
};

}  // namespace tavero
