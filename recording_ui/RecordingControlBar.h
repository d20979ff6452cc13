#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace tavero {

class Announcer;
class RecordingActionButton;
class RecordingStudio;
class StatusDot;
class SymbolButton;

// The content of the floating control panel that stays on screen for the
// whole take: a dot and a title saying where the take stands, the sound
// summary, the elapsed time, and every command of a running take (portrait
// full screen, teleprompter, pause or continue, retake, stop or cancel),
// each one call of the studio. Each new title is told to screen readers
// (Announcer): the countdown's seconds, 正在录制, 录屏已暂停. Observes the
// studio, which may go first; keeps no state of its own. Main thread.
class RecordingControlBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 730;
    static constexpr int height = 82;

    explicit RecordingControlBar(RecordingStudio& studio, QWidget* parent = nullptr);

    QString title() const;
    QString detail() const;
    // Empty while no part of the take is on disk.
    QString elapsedText() const;
    const StatusDot& dot() const { return *dot_; }
    SymbolButton* portraitButton() const { return portrait_; }
    SymbolButton* notesButton() const { return notes_; }
    RecordingActionButton* pauseButton() const { return pause_; }
    RecordingActionButton* retakeButton() const { return retake_; }
    RecordingActionButton* stopButton() const { return stop_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildRow();
    void refresh();
    void refreshPortraitButton();
    void refreshPauseButton();

    QPointer<RecordingStudio> studio_;
    StatusDot* dot_ = nullptr;
    QLabel* title_ = nullptr;
    Announcer* announcer_ = nullptr;
    QLabel* detail_ = nullptr;
    QLabel* elapsed_ = nullptr;
    SymbolButton* portrait_ = nullptr;
    SymbolButton* notes_ = nullptr;
    RecordingActionButton* pause_ = nullptr;
    RecordingActionButton* retake_ = nullptr;
    RecordingActionButton* stop_ = nullptr;
};

}  // namespace tavero
