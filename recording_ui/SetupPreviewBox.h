#pragma once

#include <QImage>
#include <QWidget>

#include <optional>

class QLabel;

namespace tavero {

class BusySpinner;

// The still preview of the recording set-up: a faint rounded box of
// 330 × 196 points holding the picture scaled to fit, a turning spinner
// while a picture is read, or a line asking for a target when there is
// neither. Main thread.
class SetupPreviewBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int boxWidth = 330;
    static constexpr int boxHeight = 196;

    explicit SetupPreviewBox(QWidget* parent = nullptr);

    void showPicture(const std::optional<QImage>& picture, bool loading);
    bool spinning() const;
    bool showsPlaceholder() const;
    // Where the picture is drawn, in the box's coordinates; empty without one.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QImage> picture_;
    BusySpinner* spinner_ = nullptr;
    QLabel* placeholder_ = nullptr;
};

}  // namespace tavero
