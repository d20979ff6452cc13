#pragma once

#include <QAbstractScrollArea>
#include <QList>

#include <optional>
#include <vector>

class QKeyEvent;

namespace tavero {

// A scrolling column of rows of one height of which only those in view
// exist: they are made once, placed over the entries that meet the viewport
// and pointed at those entries as the list scrolls, so a list of any length
// costs what can be seen. Subclasses say how many entries there are, make a
// row, and point a row at an entry; they call layoutRows() when the entries
// change.
//
// The keyboard reaches every entry all the same: the list comes before its
// rows, Tab and Shift+Tab (and Down and Up among the rows) move from an
// entry to the next or the one before, giving it a row when it comes into
// view, and the list scrolls so that a row given the keyboard lies wholly in
// view. The row with the keyboard keeps its entry while scrolled away, and
// the last entry always has a row, which Shift+Tab from the control after
// the list reaches first.
//
// Main thread.
class RecycledRowList : public QAbstractScrollArea {
public:
    // The rows showing entries in view, top to bottom.
    template <class Row>
    QList<Row*> shownRows() const {
        QList<Row*> rows;
        for (QWidget* row : rowsInView()) rows.append(static_cast<Row*>(row));
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
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr qsizetype noEntry = -1;

    struct Slot {
        QWidget* row = nullptr;
        qsizetype entry = noEntry;
    };

    int stride() const { return rowHeight_ + spacing_; }
    void updateScrollRange();
    void assignRows(qsizetype count);
    void placeRows();
    void keepLastEntryLastInChain(qsizetype count);
    QList<QWidget*> rowsInView() const;
    // The pool's index of the row that is its window's focus widget.
    std::optional<size_t> slotWithKeyboard() const;
    std::optional<qsizetype> entryWithKeyboard() const;
    QWidget* rowFor(qsizetype entry) const;
    // Scrolls so that the entry's row lies wholly in view.
    void reveal(qsizetype entry);
    void focusEntry(qsizetype entry, Qt::FocusReason reason);
    // Whether the key moved the keyboard among the entries, or would have.
    bool stepByArrow(const QKeyEvent& key);

    const int spacing_;
    int rowHeight_ = 1;
    std::vector<Slot> pool_;
    // The entries in view, first to one past the last.
    qsizetype first_ = 0;
    qsizetype last_ = 0;
    // The row the keyboard reaches last in the list, before the control after it.
    QWidget* chainLast_ = nullptr;
};

}  // namespace tavero
