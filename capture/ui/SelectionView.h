#pragma once

#include "capture/SelectionPresenter.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace tavero {

// The frozen picture of one display with the selection drawn over it: the
// user drags out an area (or, in window mode, clicks a window) or presses
// Escape. Answers once through `finish` with a rectangle in view points, top
// left origin, or with none. Owns its copy of the picture; main thread.
class SelectionView : public QWidget {
    Q_OBJECT
public:
    SelectionView(QImage image, bool windowMode, std::optional<QString> prompt, QWidget* parent = nullptr);

    void setFinish(SelectionFinish finish) { finish_ = std::move(finish); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The view draws no focus, so gaining or losing it repaints nothing.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::optional<QRectF> selection() const;
    QString hint() const;
    void drawLabel(QPainter& painter, const QString& text, const QPointF& point) const;
    void answer(std::optional<QRectF> rect);

    QImage image_;
    bool windowMode_ = false;
    std::optional<QString> prompt_;
    std::optional<QPointF> start_;
    std::optional<QPointF> end_;
    SelectionFinish finish_;
};

}  // namespace tavero
