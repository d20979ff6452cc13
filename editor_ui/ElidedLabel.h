#pragma once

#include <QWidget>

namespace tavero {

// One line of text that ends in "…" when it is wider than its room, so a
// long status or file name never pushes its neighbours away; a text of
// several lines shows them one after another on that line. Screen readers
// read the whole text. Main thread.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QString line_;  // the text's lines on one line
};

}  // namespace tavero
