#include "editor_ui/RecycledRowList.h"

#include "editor_ui/FocusChain.h"
#include "editor_ui/style/FocusRing.h"

#include <QScrollBar>

#include <algorithm>

namespace tavero {

namespace {

constexpr int wheelStep = 20;

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
        // Made as the list grows, after everything else in the window.
        if (!pool_.empty()) FocusChain::placeAfter(*pool_.back(), *row);
        pool_.push_back(row);
    }
    return pool_[index];
}

void RecycledRowList::setRowHeight(int height) { rowHeight_ = std::max(height, 1); }

void RecycledRowList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layoutRows();
}

void RecycledRowList::scrollContentsBy(int, int) { layoutRows(); }

void RecycledRowList::updateScrollRange() {
    const qsizetype count = entryCount();
    const qint64 content = count == 0 ? 0 : qint64(count) * (rowHeight_ + spacing_) - spacing_;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, int(std::clamp<qint64>(content - viewport()->height(), 0, INT_MAX)));
}

void RecycledRowList::layoutRows() {
    updateScrollRange();
    const qsizetype count = entryCount();
    const int stride = rowHeight_ + spacing_;
    const int offset = verticalScrollBar()->value();
    const qsizetype first = std::min<qsizetype>(offset / stride, count);
    const qsizetype last = std::min<qsizetype>((qint64(offset) + viewport()->height()) / stride + 1, count);
    shown_ = size_t(last - first);
    for (size_t index = 0; index < shown_; ++index) {
        QWidget* row = pooledRow(index);
        const qsizetype entry = first + qsizetype(index);
        row->setGeometry(0, int(qint64(entry) * stride - offset), viewport()->width(), rowHeight_);
        showEntry(row, entry);
        row->show();
    }
    for (size_t index = shown_; index < pool_.size(); ++index) pool_[index]->hide();
}

}  // namespace tavero
