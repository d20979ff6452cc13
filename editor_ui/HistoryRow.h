#pragma once

#include "library/CaptureRecord.h"

#include <QAbstractButton>
#include <QStringList>

namespace tavero {

class Thumbnail;

// One entry of the history list: the entry's thumbnail, its name on at most
// two lines and the time of day it was created, on a faint rounded
// background. A click opens the entry; a right click asks for its menu.
// Rows are reused as the list scrolls: setRecord() points a row at another
// entry, and its thumbnail follows.
//
// Main thread.
class HistoryRow : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int padding = 7;
    static constexpr int spacing = 9;
    static constexpr int thumbnailWidth = 44;
    static constexpr int thumbnailHeight = 40;
    static constexpr int thumbnailCornerRadius = 5;
    static constexpr int cornerRadius = 8;

    explicit HistoryRow(QWidget* parent = nullptr);

    // `path` is the entry's file in the library folder.
    void setRecord(const CaptureRecord& record, const QString& path);
    const CaptureRecord& record() const { return record_; }
    Thumbnail* thumbnail() const { return thumbnail_; }
    // The name as drawn at the row's width: one or two lines, the second
    // ending in "…" when the name goes on.
    QStringList nameLines() const;
    // Every row is as tall as one with a two-line name.
    int rowHeight() const;

signals:
    void menuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QRect textRect() const;
    QString createdTime() const;

    CaptureRecord record_;
    Thumbnail* thumbnail_ = nullptr;
    QFont nameFont_;
    QFont timeFont_;
};

}  // namespace tavero
