#pragma once

#include <QAbstractButton>
#include <QList>
#include <QStringList>
#include <QWidget>

namespace tavero {

// A row of segments of which one is chosen, on a rounded grey track with the
// chosen segment raised in white: the style of a cover, the direction of a
// gradient. Main thread.
class SegmentedPicker : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedPicker(const QStringList& titles, QWidget* parent = nullptr);

    int selected() const { return selected_; }
    // Shows `index` as chosen without reporting it.
    void showSelected(int index);
    QAbstractButton* segment(int index) const { return segments_.value(index); }
    qsizetype count() const { return segments_.size(); }

signals:
    // The user chose another segment.
    void picked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void clicked(int index);

    QList<QAbstractButton*> segments_;
    int selected_ = 0;
};

}  // namespace tavero
