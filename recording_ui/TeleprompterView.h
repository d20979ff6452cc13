#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace tavero {

class PrompterScrollView;
class RecordingActionButton;
class RecordingStudio;
class SteppedSlider;
class StatusDot;

// The background-transparency row of the teleprompter: a slider over 0…1
// in steps of 0.05, the value in percent and a "全透明" button. Only the
// background changes; the text stays clear. Its captions take the text
// colour of where the row sits: light in the dark panel, dark in the
// recording set-up. Main thread.
class PrompterTransparencyControl : public QWidget {
    Q_OBJECT
public:
    explicit PrompterTransparencyControl(RecordingStudio& studio, QWidget* parent = nullptr);

    // The slider and "全透明" take the focus, as the controls of the set-up
    // sheet around them do; in the panel they leave the keyboard with the
    // recorded program, as its other controls do.
    void setTakesFocus(bool takes);

    QString valueText() const;
    QLabel* valueLabel() const { return value_; }
    SteppedSlider* slider() const { return slider_; }
    RecordingActionButton* clearButton() const { return clear_; }

private:
    void refresh();

    QPointer<RecordingStudio> studio_;
    SteppedSlider* slider_ = nullptr;
    QLabel* value_ = nullptr;
    RecordingActionButton* clear_ = nullptr;
};

// The content of the teleprompter panel: a header saying where the take
// stands with the hide, pause and stop commands, the scrolling notes, and
// the controls of the scrolling (start or stop, rewind, speed, size) and of
// the background's transparency. Each control is one call of the studio;
// the view keeps no notes state of its own. Observes the studio, which may
// go first. Main thread.
class TeleprompterView : public QWidget {
    Q_OBJECT
public:
    explicit TeleprompterView(RecordingStudio& studio, QWidget* parent = nullptr);

    // Whether its controls take the focus: while the notes are previewed
    // before a take, where Escape also closes the preview; never during a
    // take, whose program keeps the keyboard.
    void setTakesFocus(bool takes);

    QString title() const;
    PrompterScrollView& text() const { return *text_; }
    RecordingActionButton* hideButton() const { return hide_; }
    // Shown only while part of the take is on disk.
    RecordingActionButton* pauseButton() const { return pause_; }
    RecordingActionButton* stopButton() const { return stop_; }
    RecordingActionButton* scrollButton() const { return scroll_; }
    RecordingActionButton* rewindButton() const { return rewind_; }
    SteppedSlider* speedSlider() const { return speed_; }
    SteppedSlider* sizeSlider() const { return size_; }
    PrompterTransparencyControl& transparency() const { return *transparency_; }
    // The background's opacity now: 1 − the studio's transparency.
    double backgroundOpacity() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildControls();
    void refresh();

    QPointer<RecordingStudio> studio_;
    StatusDot* dot_ = nullptr;
    QLabel* title_ = nullptr;
    RecordingActionButton* hide_ = nullptr;
    RecordingActionButton* pause_ = nullptr;
    RecordingActionButton* stop_ = nullptr;
    PrompterScrollView* text_ = nullptr;
    RecordingActionButton* scroll_ = nullptr;
    RecordingActionButton* rewind_ = nullptr;
    SteppedSlider* speed_ = nullptr;
    SteppedSlider* size_ = nullptr;
    PrompterTransparencyControl* transparency_ = nullptr;
};

}  // namespace tavero
