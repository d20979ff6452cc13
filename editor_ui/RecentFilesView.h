#pragma once

#include <QWidget>

#include <functional>

class QPushButton;
class QStackedWidget;

namespace tavero {

class AppModel;
class RecentFileRow;
class RecycledRowList;

// The recent-files sheet: the library's screenshots and recordings, newest
// first, each with its thumbnail, name and date. A click on an entry calls
// `dismiss` and then opens the entry's file in the editor; with nothing in
// the library an empty state stands in for the list. "完成" calls
// `dismiss`; a button opens the library folder in the file manager.
//
// Only the rows in view exist, reused as the list scrolls, so the sheet
// opens as quickly with a hundred thousand entries as with ten; the
// keyboard still reaches every entry (RecycledRowList).
//
// Follows the model's history; main thread.
class RecentFilesView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{660, 480};

    RecentFilesView(AppModel& model, std::function<void()> dismiss, QWidget* parent = nullptr);

    QPushButton* doneButton() const { return done_; }
    QPushButton* openFolderButton() const { return openFolder_; }
    // The empty state, or the list, whichever shows.
    QWidget* content() const;
    QWidget* emptyState() const { return empty_; }
    // The rows showing the entries in view, top to bottom, in the history's order.
    QList<RecentFileRow*> rows() const;
    RecycledRowList* list() const { return list_; }

private:
    QWidget* makeHeader();
    QWidget* makeEmptyState();
    QWidget* makeList();
    void showHistory();
    void open(const QString& file);

    AppModel& model_;
    std::function<void()> dismiss_;
    QPushButton* done_ = nullptr;
    QPushButton* openFolder_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QWidget* empty_ = nullptr;
    QWidget* listPage_ = nullptr;
    RecycledRowList* list_ = nullptr;
};

}  // namespace tavero
