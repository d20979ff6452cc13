#pragma once

#include <QWidget>

#include <functional>

class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace tavero {

class AppModel;
class HistoryList;
class MainViewState;
class ShotDocument;
class ToolPanel;

// The left column of the editing area: a switch between the annotation tool
// panel and the history list ("历史 n" counts the library's records), and two
// quick actions, paste an image and open the practice image. The selected
// tab is the window's, so it survives a visit to the start screen.
//
// The tool panel's background button runs `openBackground`.
//
// Observes the model and the window's state; main thread.
class Sidebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnWidth = 220;

    Sidebar(AppModel& model, ShotDocument& document, MainViewState& state, std::function<void()> openBackground,
            QWidget* parent = nullptr);

    QTabBar* tabs() const { return tabs_; }
    // The page the selected tab shows.
    QWidget* currentPage() const;
    ToolPanel* toolPanel() const { return tools_; }
    HistoryList* historyList() const { return history_; }
    QPushButton* pasteButton() const { return paste_; }
    QToolButton* demoButton() const { return demo_; }

private:
    ToolPanel* makeToolPanel(std::function<void()> openBackground);
    HistoryList* makeHistoryList();
    void showState();
    void showHistoryCount();

    AppModel& model_;
    MainViewState& state_;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    ShotDocument& document_;
    ToolPanel* tools_ = nullptr;
    HistoryList* history_ = nullptr;
    QPushButton* paste_ = nullptr;
    QToolButton* demo_ = nullptr;
};

}  // namespace tavero
