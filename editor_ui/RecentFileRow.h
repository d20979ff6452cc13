#pragma once

#include "editor_ui/ShortcutActionButton.h"
#include "library/CaptureRecord.h"

class QLabel;

namespace tavero {

class ElidedLabel;
class Thumbnail;

// One entry of the recent-files sheet: the entry's thumbnail, its name on
// one line over the day it was written, and an arrow; the whole row is the
// button. Rows are reused as the list scrolls: setRecord() points a row at
// another entry, and its thumbnail follows.
//
// Main thread.
class RecentFileRow : public ShortcutActionButton {
    Q_OBJECT
public:
    explicit RecentFileRow(QWidget* parent = nullptr);

    // `path` is the entry's file in the library folder.
    void setRecord(const CaptureRecord& record, const QString& path);
    const CaptureRecord& record() const { return record_; }
    const QString& path() const { return path_; }
    Thumbnail* thumbnail() const { return thumbnail_; }
    QLabel* dayLabel() const { return day_; }

private:
    CaptureRecord record_;
    QString path_;
    Thumbnail* thumbnail_ = nullptr;
    ElidedLabel* name_ = nullptr;
    QLabel* day_ = nullptr;
};

}  // namespace tavero
