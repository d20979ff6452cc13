#pragma once

#include <QImage>
#include <QWidget>

namespace tavero {

class BusySpinner;

// The background sheet's preview: the framed picture scaled to fit inside a
// rounded box, or a spinner until the first preview is there. Main thread.
class FramePreviewBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int boxWidth = 430;
    static constexpr int boxHeight = 355;

    explicit FramePreviewBox(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    BusySpinner* spinner() const { return spinner_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage picture_;
    BusySpinner* spinner_ = nullptr;
};

}  // namespace tavero
