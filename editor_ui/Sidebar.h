#pragma once

#include <QWidget>

class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace tavero {

class AppModel;
class HistoryList;
class MainViewState;

// The left column of the editing area: a switch between the annotation tool
// panel and the history list ("历史 n" counts the library's records), and two
// quick actions, paste an image and open the practice image. The selected
// tab is the window's, so it survives a visit to the start screen.
//
// Observes the model and the window's state; main thread.
class Sidebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnWidth = 220;

    Sidebar(AppModel& model, MainViewState& state, QWidget* parent = nullptr);

    QTabBar* tabs() const { return tabs_; }
    // The page the selected tab shows.
    QWidget* currentPage() const;
    QWidget* toolPanel() const { return tools_; }
    HistoryList* historyList() const { return history_; }
    QPushButton* pasteButton() const { return paste_; }
    QToolButton* demoButton() const { return demo_; }

private:
    QWidget* makeToolPanel();
    HistoryList* makeHistoryList();
    void showState();
    void showHistoryCount();

    AppModel& model_;
    MainViewState& state_;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QWidget* tools_ = nullptr;
    HistoryList* history_ = nullptr;
    QPushButton* paste_ = nullptr;
    QToolButton* demo_ = nullptr;
};

}  // namespace tavero
