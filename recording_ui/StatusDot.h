#pragma once

#include <QColor>
#include <QWidget>

namespace tavero {

// A filled circle of a fixed diameter that says where a take stands by its
// colour. Main thread.
class StatusDot : public QWidget {
    Q_OBJECT
public:
    explicit StatusDot(double diameter, QWidget* parent = nullptr);

    const QColor& color() const { return color_; }
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

}  // namespace tavero
