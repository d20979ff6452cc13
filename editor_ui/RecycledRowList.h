#pragma once

#include <QAbstractScrollArea>
#include <QList>

#include <vector>

namespace tavero {

// A scrolling column of rows of one height of which only those in view
// exist: they are made once, placed over the entries that meet the viewport
// and pointed at those entries as the list scrolls, so a list of any length
// costs what can be seen. Subclasses say how many entries there are, make a
// row, and point a row at an entry; they call layoutRows() when the entries
// change.
//
// Main thread.
class RecycledRowList : public QAbstractScrollArea {
public:
    // The rows showing entries, top to bottom.
    template <class Row>
    QList<Row*> shownRows() const {
        QList<Row*> rows;
        for (size_t index = 0; index < shown_; ++index) rows.append(static_cast<Row*>(pool_[index]));
        return rows;
    }

protected:
    RecycledRowList(int spacing, QWidget* parent);

    virtual qsizetype entryCount() const = 0;
    // A new row, a child of the viewport.
    virtual QWidget* makeRow() = 0;
    virtual void showEntry(QWidget* row, qsizetype index) = 0;

    // The row at `index` of the pool, made when the pool has none yet.
    QWidget* pooledRow(size_t index);
    void setRowHeight(int height);
    // Places rows for the entries that meet the viewport, reusing the pool.
    void layoutRows();

    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollRange();

    const int spacing_;
    int rowHeight_ = 1;
    std::vector<QWidget*> pool_;
    size_t shown_ = 0;
};

}  // namespace tavero
