#pragma once

#include <QTimer>
#include <QWidget>

namespace tavero {

// A small circular progress indicator of indeterminate length: an arc that
// turns while the spinner is shown and rests while it is hidden. Main thread.
class BusySpinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int side = 14;

    explicit BusySpinner(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer turn_;
    int angle_ = 0;
};

}  // namespace tavero
