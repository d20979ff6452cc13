#pragma once

#include "recording_ui/workspace/EffectsPopover.h"
#include "recording_ui/workspace/WorkspaceState.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tavero {

class AppModel;
class ElidedLabel;
class MoviePlayer;
class RecordingStudio;

// What the editor window shows in place of the screenshot editor while the
// model shows a video: the file's name, the player, the render's progress,
// which version of a recording is on screen with the way to the other one
// and to the effects popover, the trim fields with the exports, and a line
// about the video. It owns no state but the trim texts and the popover:
// every control calls one method of the model or the studio.
//
// Follows the model's later videos itself (the player swaps its file) and
// lets the playback go when the model shows none. Observes the model and
// the studio; main thread.
class VideoWorkspace : public QWidget {
    Q_OBJECT
public:
    VideoWorkspace(AppModel& model, RecordingStudio& studio, const QString& url, const QString& start,
                   const QString& end, EffectsPopover::EffectControls effectControls = {}, QWidget* parent = nullptr);

    const QString& url() const { return url_; }
    // Dresses every row for `state`; each change of the studio calls it.
    void showState(const WorkspaceState& state);

    ElidedLabel* title() const { return title_; }
    QPushButton* backButton() const { return back_; }
    MoviePlayer* player() const { return player_; }
    QWidget* progressRow() const { return progressRow_; }
    QLabel* progressLabel() const { return progressLabel_; }
    QProgressBar* progressBar() const { return progressBar_; }
    QPushButton* cancelButton() const { return cancel_; }
    QWidget* versionRow() const { return versionRow_; }
    QLabel* versionLabel() const { return versionLabel_; }
    QPushButton* rawButton() const { return raw_; }
    QPushButton* finishedButton() const { return finished_; }
    QPushButton* effectsButton() const { return effects_; }
    // The open effects popover; null while it is closed.
    EffectsPopover* effectsPopover() const { return popover_; }
    QLineEdit* startField() const { return start_; }
    QLineEdit* endField() const { return end_; }
    QPushButton* trimButton() const { return trim_; }
    QPushButton* gifButton() const { return gif_; }
    QPushButton* revealButton() const { return reveal_; }
    QLabel* footer() const { return footer_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLayout* makeTitleRow();
    QWidget* makeProgressRow();
    QWidget* makeVersionRow();
    QLayout* makeTrimRow(const QString& start, const QString& end);
    void showStudio();
    void showVersionChoices(bool raw, bool finished);
    void followModel();
    void openEffects();
    void saveTrim();

    AppModel& model_;
    RecordingStudio& studio_;
    QString url_;
    WorkspaceState state_;
    EffectsPopover::EffectControls effectControls_;
    // Set while the first video, shown with the window away, waits to be in
    // its window.
    bool playerTakesKeyboard_ = false;

    ElidedLabel* title_ = nullptr;
    QPushButton* back_ = nullptr;
    MoviePlayer* player_ = nullptr;
    QWidget* progressRow_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QWidget* versionRow_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QPushButton* raw_ = nullptr;
    QPushButton* finished_ = nullptr;
    QPushButton* effects_ = nullptr;
    QPointer<EffectsPopover> popover_;
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
    QPushButton* trim_ = nullptr;
    QPushButton* gif_ = nullptr;
    QPushButton* reveal_ = nullptr;
    QLabel* footer_ = nullptr;
};

}  // namespace tavero
