#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace tavero {

class AppModel;
class MainViewState;
class MoreCapturesMenu;
class RecordingButton;
class ShotDocument;

// The top row of the editor window: the brand, the screenshot commands, the
// record button, and the file and settings buttons. It has a short form on
// the start screen (brand, "最近文件", "设置", and the record button only while
// a take is under way) and a full form beside the editing area. Each control
// calls one model method or opens one of the window's sheets. The screenshot
// commands are disabled while the model is busy or a take is under way.
//
// Observes the model, the document and the studio; main thread.
class HeaderBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 68;
    static constexpr int brandWidth = 168;

    HeaderBar(AppModel& model, ShotDocument& document, MainViewState& state, QWidget* parent = nullptr);

    QToolButton* homeButton() const { return home_; }
    QPushButton* areaButton() const { return area_; }
    MoreCapturesMenu* moreCapturesMenu() const { return moreMenu_; }
    RecordingButton* recordButton() const { return record_; }
    QPushButton* recentFilesButton() const { return recentFiles_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* settingsButton() const { return settings_; }

private:
    QWidget* makeBrand();
    void makeCaptureGroup();
    void refresh();

    AppModel& model_;
    ShotDocument& document_;
    QWidget* brand_ = nullptr;
    QToolButton* home_ = nullptr;
    QPushButton* area_ = nullptr;
    QToolButton* more_ = nullptr;
    MoreCapturesMenu* moreMenu_ = nullptr;
    RecordingButton* record_ = nullptr;
    QPushButton* recentFiles_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* settings_ = nullptr;
};

}  // namespace tavero
