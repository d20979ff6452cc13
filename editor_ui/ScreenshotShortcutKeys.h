#pragma once

#include <QWidget>

namespace tavero {

// The screenshot hot key drawn as three key caps, "Ctrl" + "Shift" + "2",
// with a pointing hand on the last one. A picture only: it sits inside the
// start screen's key-cap button, which carries the action and the spoken
// label, so it is silent to screen readers. Main thread.
class ScreenshotShortcutKeys : public QWidget {
    Q_OBJECT
public:
    explicit ScreenshotShortcutKeys(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double plusWidth() const;
    void paintKey(QPainter& painter, const QString& text, const QRectF& place) const;
    void paintHand(QPainter& painter, const QRectF& lastKey) const;
};

}  // namespace tavero
