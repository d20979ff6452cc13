#include "editor_ui/RecycledRowList.h"

#include "editor_ui/style/FocusRing.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace tavero {

namespace {

constexpr int wheelStep = 20;

// Focus that a row is given to be used from the keyboard, rather than by a
// click, which scrolling under the pointer would spoil.
bool byKeyboard(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::OtherFocusReason;
}

}  // namespace

RecycledRowList::RecycledRowList(int spacing, QWidget* parent) : QAbstractScrollArea(parent), spacing_(spacing) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    // Room beside the rows for the list's own mark and the rows' marks.
    setViewportMargins(FocusRing::outset, 0, FocusRing::outset, 0);
    verticalScrollBar()->setSingleStep(wheelStep);
    FocusRing::drawAbove(*this, 0);
}

QWidget* RecycledRowList::pooledRow(size_t index) {
    while (pool_.size() <= index) {
        QWidget* row = makeRow();
        row->hide();
        row->installEventFilter(this);
        // Right after the list, which the keyboard reaches before its rows.
        QWidget::setTabOrder(this, row);
        if (!chainLast_) chainLast_ = row;
        pool_.push_back({row, noEntry});
    }
    return pool_[index].row;
}

void RecycledRowList::setRowHeight(int height) { rowHeight_ = std::max(height, 1); }

void RecycledRowList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layoutRows();
}

void RecycledRowList::scrollContentsBy(int, int) { layoutRows(); }

void RecycledRowList::updateScrollRange() {
    const qsizetype count = entryCount();
    const qint64 content = count == 0 ? 0 : qint64(count) * stride() - spacing_;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, int(std::clamp<qint64>(content - viewport()->height(), 0, INT_MAX)));
}

void RecycledRowList::layoutRows() {
    updateScrollRange();
    const qsizetype count = entryCount();
    const int offset = verticalScrollBar()->value();
    first_ = std::min<qsizetype>(offset / stride(), count);
    last_ = std::min<qsizetype>((qint64(offset) + viewport()->height()) / stride() + 1, count);
    assignRows(count);
    placeRows();
    keepLastEntryLastInChain(count);
}

// Which entry each row shows: those in view, the one whose row has the
// keyboard and the last. A row keeps its entry while that is still wanted,
// so the keyboard stays with its entry as the list scrolls; free rows take
// the entries left, and more are made when none is free.
void RecycledRowList::assignRows(qsizetype count) {
    std::vector<qsizetype> wanting;
    for (qsizetype entry = first_; entry < last_; ++entry) wanting.push_back(entry);
    if (last_ < count) wanting.push_back(count - 1);
    const std::optional<size_t> keyboard = slotWithKeyboard();
    if (keyboard) {
        // Its entry gone, it shows the one now last.
        qsizetype& entry = pool_[*keyboard].entry;
        entry = std::min(entry, count - 1);
        if (entry != noEntry && std::find(wanting.begin(), wanting.end(), entry) == wanting.end())
            wanting.push_back(entry);
    }
    const auto keepOrFree = [&wanting](Slot& slot) {
        const auto found = std::find(wanting.begin(), wanting.end(), slot.entry);
        if (found == wanting.end()) return void(slot.entry = noEntry);
        wanting.erase(found);
    };
    if (keyboard) keepOrFree(pool_[*keyboard]);
    for (size_t index = 0; index < pool_.size(); ++index)
        if (index != keyboard) keepOrFree(pool_[index]);
    size_t free = 0;
    for (qsizetype entry : wanting) {
        while (free < pool_.size() && pool_[free].entry != noEntry) ++free;
        pooledRow(free);
        pool_[free].entry = entry;
    }
}

void RecycledRowList::placeRows() {
    const int offset = verticalScrollBar()->value();
    for (const Slot& slot : pool_) {
        if (slot.entry == noEntry) {
            // Only when the last entry has gone: the list keeps the keyboard.
            if (slot.row->hasFocus()) setFocus(Qt::OtherFocusReason);
            slot.row->hide();
            continue;
        }
        slot.row->setGeometry(0, int(qint64(slot.entry) * stride() - offset), viewport()->width(), rowHeight_);
        showEntry(slot.row, slot.entry);
        slot.row->show();
    }
}

// Shift+Tab from the control after the list goes to the last row of the
// keyboard's path in the list, which must be the last entry's.
void RecycledRowList::keepLastEntryLastInChain(qsizetype count) {
    QWidget* last = count > 0 ? rowFor(count - 1) : nullptr;
    if (!last || last == chainLast_) return;
    QWidget::setTabOrder(chainLast_, last);
    chainLast_ = last;
}

QList<QWidget*> RecycledRowList::rowsInView() const {
    QList<QWidget*> rows;
    for (qsizetype entry = first_; entry < last_; ++entry)
        if (QWidget* row = rowFor(entry)) rows.append(row);
    return rows;
}

std::optional<size_t> RecycledRowList::slotWithKeyboard() const {
    const QWidget* focused = window()->focusWidget();
    for (size_t index = 0; index < pool_.size(); ++index)
        if (pool_[index].row == focused) return index;
    return std::nullopt;
}

std::optional<qsizetype> RecycledRowList::entryWithKeyboard() const {
    const std::optional<size_t> slot = slotWithKeyboard();
    if (!slot || pool_[*slot].entry == noEntry) return std::nullopt;
    return pool_[*slot].entry;
}

QWidget* RecycledRowList::rowFor(qsizetype entry) const {
    for (const Slot& slot : pool_)
        if (slot.entry == entry) return slot.row;
    return nullptr;
}

void RecycledRowList::reveal(qsizetype entry) {
    const qint64 top = qint64(entry) * stride();
    const qint64 bottom = top + rowHeight_;
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value()) bar->setValue(int(top));
    else if (bottom > bar->value() + viewport()->height()) bar->setValue(int(bottom - viewport()->height()));
}

void RecycledRowList::focusEntry(qsizetype entry, Qt::FocusReason reason) {
    reveal(entry);
    if (QWidget* row = rowFor(entry)) row->setFocus(reason);
}

// The list, then its entries in order; past either end the keyboard leaves.
bool RecycledRowList::focusNextPrevChild(bool next) {
    const Qt::FocusReason reason = next ? Qt::TabFocusReason : Qt::BacktabFocusReason;
    const qsizetype count = entryCount();
    if (const std::optional<qsizetype> from = entryWithKeyboard()) {
        const qsizetype to = *from + (next ? 1 : -1);
        if (to < 0) {
            setFocus(reason);
            return true;
        }
        if (to < count) {
            focusEntry(to, reason);
            return true;
        }
    } else if (hasFocus() && next && count > 0) {
        focusEntry(0, reason);
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// Down and Up move among the entries and stop at either end; a button
// would take both for Tab.
bool RecycledRowList::stepByArrow(const QKeyEvent& key) {
    const int step = key.key() == Qt::Key_Down ? 1 : key.key() == Qt::Key_Up ? -1 : 0;
    const std::optional<qsizetype> from = entryWithKeyboard();
    if (step == 0 || !from || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    const qsizetype to = *from + step;
    if (to >= 0 && to < entryCount()) focusEntry(to, step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// A row given the keyboard comes wholly into view, its mark with it.
bool RecycledRowList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && stepByArrow(*static_cast<QKeyEvent*>(event))) return true;
    if (event->type() == QEvent::FocusIn && byKeyboard(static_cast<QFocusEvent*>(event)->reason()))
        for (const Slot& slot : pool_)
            if (slot.row == watched && slot.entry != noEntry) reveal(slot.entry);
    return QAbstractScrollArea::eventFilter(watched, event);
}

}  // namespace tavero
