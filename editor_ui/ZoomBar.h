#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace tavero {

class ShotDocument;

// The row under the canvas: a short hint (how to finish inline text while a
// label is typed, otherwise undo and dropping files) and the zoom buttons
// "−", "适合窗口", "原始大小 100%" and "+", which step the document's zoom by
// 0.25 between 0.25 and 4.0 or reset it to 1.0.
//
// Observes the document; main thread.
class ZoomBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 30;
    static constexpr double step = 0.25;
    static constexpr double smallest = 0.25;
    static constexpr double largest = 4.0;

    explicit ZoomBar(ShotDocument& document, QWidget* parent = nullptr);

    QLabel* hint() const { return hint_; }
    QToolButton* zoomOutButton() const { return zoomOut_; }
    QToolButton* fitButton() const { return fit_; }
    QToolButton* actualSizeButton() const { return actualSize_; }
    QToolButton* zoomInButton() const { return zoomIn_; }

private:
    void showDocument();
    void fitWindow();
    void showActualPixels();

    ShotDocument& document_;
    QLabel* hint_ = nullptr;
    QToolButton* zoomOut_ = nullptr;
    QToolButton* fit_ = nullptr;
    QToolButton* actualSize_ = nullptr;
    QToolButton* zoomIn_ = nullptr;
};

}  // namespace tavero
