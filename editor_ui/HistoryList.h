#pragma once

#include "editor_ui/RecycledRowList.h"
#include "library/CaptureRecord.h"

#include <functional>

class QLabel;
class QMenu;

namespace tavero {

class AppModel;
class HistoryRow;

// The sidebar's "历史" tab: the library's entries, newest first, as rows with
// a thumbnail, the name and the time. A click opens an entry; its menu opens
// it, joins a picture to the current one, shows the file in the file manager
// or moves it to the Trash. An empty library shows one line of text instead.
//
// Only the rows in view exist: they are reused as the list scrolls, so a
// long history builds, and decodes thumbnails for, what can be seen. The
// keyboard still reaches every entry (RecycledRowList).
//
// Observes the model's history; main thread.
class HistoryList : public RecycledRowList {
    Q_OBJECT
public:
    static constexpr int spacing = 8;
    using ShowFile = std::function<void(const QString& path)>;

    explicit HistoryList(AppModel& model, QWidget* parent = nullptr);

    QLabel* emptyText() const { return emptyText_; }
    // The rows showing the entries in view, top to bottom.
    QList<HistoryRow*> rows() const;
    // The entry's menu, to be shown once; it deletes itself when closed.
    QMenu* makeMenu(const CaptureRecord& record);
    // What "在文件管理器中显示" does; the platform's file manager by default.
    void setShowFile(ShowFile showFile) { showFile_ = std::move(showFile); }
    QString pathOf(const CaptureRecord& record) const;

protected:
    qsizetype entryCount() const override;
    QWidget* makeRow() override;
    void showEntry(QWidget* row, qsizetype index) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showHistory();
    void placeEmptyText();
    void moveToTrash(const CaptureRecord& record);

    AppModel& model_;
    QLabel* emptyText_ = nullptr;
    ShowFile showFile_;
};

}  // namespace tavero
