#pragma once

#include "platform/Result.h"
#include "platform/desktop/ScreenContent.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace tavero {

class RecordingStudio;
class SegmentedPicker;
class SetupPreviewBox;

// The sheet in which a recording is set up before it starts: what to record
// (a window, an area, a whole display or the camera alone) with a still
// preview of it, the camera, the sounds, the smart-camera effects, the
// speaker's notes and the free space, then "开始录制". Every control writes
// one setting of the studio or calls one of its methods; of its own the
// sheet keeps only the preview and whether the effect controls are open.
//
// The preview is taken through `snapshot`, which answers once on the main
// thread, or returns false without answering when it cannot ask (the
// application model is gone). Only the answer to the newest request counts.
// The camera section is made by `cameraSection`; without one its place
// stays empty.
//
// Observes the studio, which may go first. Main thread.
class RecordingSetupView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 760;
    static constexpr int tallestSheet = 860;

    using SnapshotDone = std::function<void(Result<QImage>)>;
    using Snapshot = std::function<bool(const ContentFilter& filter, SnapshotDone done)>;
    using CameraSection = std::function<QWidget*(RecordingStudio& studio, QWidget* parent)>;

    RecordingSetupView(RecordingStudio& studio, Snapshot snapshot, CameraSection cameraSection = {},
                       QWidget* parent = nullptr);
    ~RecordingSetupView() override;

    // The sheet's height on a screen whose free area is `visibleHeight`
    // points high; none when there is no screen.
    static int sheetHeight(std::optional<int> visibleHeight);
    // The free-space line for `available` bytes (none: unknown) and the
    // studio's start issue, if any, with its colour's role.
    enum class SpaceTone { secondary, orange, red };
    struct SpaceLine {
        QString text;
        SpaceTone tone;
    };
    static SpaceLine spaceLine(std::optional<qint64> available, const std::optional<QString>& startIssue);
    // `region` (in `display`'s points) cut out of a snapshot of that display.
    static std::optional<QImage> cropToRegion(const QImage& snapshot, const DisplayInfo& display,
                                              const QRectF& region);

    // What the tests and the accessibility tools read.
    SegmentedPicker* scopePicker() const { return scope_; }
    QString targetRowText() const;
    QComboBox* windowPicker() const { return windowPicker_; }
    QComboBox* displayPicker() const { return displayPicker_; }
    QPushButton* areaButton() const { return areaButton_; }
    const std::optional<QImage>& preview() const { return preview_; }
    bool previewLoading() const { return previewLoading_; }
    SetupPreviewBox* previewBox() const { return previewBox_; }
    QLabel* freeSpaceText() const { return space_; }
    QLabel* footerText() const { return footer_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }
    QCheckBox* systemAudioToggle() const { return systemAudio_; }
    QCheckBox* microphoneToggle() const { return microphone_; }
    // The sound section's warning line and, under it, its line about the microphone.
    QLabel* soundWarning() const { return soundWarning_; }
    QLabel* microphoneLine() const { return permissionText_; }
    QWidget* effectsSummary() const { return effectsSummary_; }
    QWidget* cameraSection() const { return camera_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeTargetRow();
    QWidget* makeMiddleRow();
    QWidget* makeSoundSection();
    QWidget* makeEffectsSummary();
    QWidget* makeNotesSection();
    QWidget* makeFreeSpaceRow();
    QWidget* makeFooter();

    void refresh();
    void refreshTargetRow();
    void refreshPickers();
    void refreshSound();
    void refreshEffects();
    void refreshNotes();
    void refreshFreeSpace();
    void refreshFooter();
    // The region survives only a change to the display it lies on.
    void followDisplay();
    void reloadPreviewWhenTargetChanged();
    void loadPreview();
    void previewArrived(quint64 request, Result<QImage> result);
    void showPreview();
    void appeared();
    void disappeared();

    QPointer<RecordingStudio> studio_;
    Snapshot snapshot_;
    QScrollArea* scroll_ = nullptr;
    SegmentedPicker* scope_ = nullptr;
    QLabel* targetHint_ = nullptr;
    QLabel* loadingRow_ = nullptr;
    QWidget* windowRow_ = nullptr;
    QComboBox* windowPicker_ = nullptr;
    QWidget* displayRow_ = nullptr;
    QComboBox* displayPicker_ = nullptr;
    QPushButton* areaButton_ = nullptr;
    QWidget* camera_ = nullptr;
    QWidget* previewColumn_ = nullptr;
    SetupPreviewBox* previewBox_ = nullptr;
    QLabel* previewHint_ = nullptr;
    QCheckBox* systemAudio_ = nullptr;
    QCheckBox* microphone_ = nullptr;
    QLabel* audioSummary_ = nullptr;
    QLabel* soundWarning_ = nullptr;
    QLabel* permissionText_ = nullptr;
    QToolButton* permissionButton_ = nullptr;
    QWidget* effectsSummary_ = nullptr;
    QLabel* zoomLine_ = nullptr;
    QLabel* zoomIcon_ = nullptr;
    QLabel* blurLine_ = nullptr;
    QLabel* blurIcon_ = nullptr;
    QLabel* effectsExplanation_ = nullptr;
    QToolButton* effectsDisclosure_ = nullptr;
    QWidget* effectControls_ = nullptr;
    QCheckBox* notesToggle_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QLabel* notesHint_ = nullptr;
    QWidget* notesControls_ = nullptr;
    QLabel* space_ = nullptr;
    QLabel* footer_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* start_ = nullptr;

    std::optional<QImage> preview_;
    bool previewLoading_ = false;
    bool effectSettings_ = false;
    // The target the shown preview belongs to; a change asks for a new one.
    QString previewTarget_;
    // Raised by every preview request and by the sheet's disappearance.
    quint64 previewRequest_ = 0;
    std::optional<quint32> lastDisplayID_;
    QTimer spaceTimer_;
};

}  // namespace tavero
