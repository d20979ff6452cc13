#pragma once

#include "app/model/OpenPanelPresenter.h"
#include "app/model/PinPresenter.h"
#include "app/model/ScreenAccessIntent.h"
#include "app/model/VideoExports.h"
#include "app/model/WorkspaceFlow.h"
#include "capture/CaptureCoordinator.h"
#include "capture/ScrollingCapture.h"
#include "document/FrameOptions.h"
#include "library/CaptureRecord.h"
#include "library/LocalLibrary.h"
#include "recording/studio/RecordingHost.h"
#include "recording/studio/StudioParts.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tavero {

class ApplicationWindows;
class PointerSource;
struct OpenedFile;
class RecordingStudio;
class ScreenRecorder;
class ShotDocument;

// What the application model is built on. The program passes the real
// screen; tests pass a fake one, shorter waits and stand-in parts.
struct AppModelSetup {
    // Null: every capture fails with its sentence.
    std::shared_ptr<ScreenSource> screen;
    CaptureTiming captureTiming;
    ScrollingCaptureTiming scrollTiming;
    // One step of the screenshot countdown.
    std::chrono::milliseconds countdownTick{1000};
    // Null: a new ScreenRecorder.
    std::unique_ptr<ScreenRecorder> recorder;
    // Where the recording studio reads the pointer; null: no pointer samples.
    std::shared_ptr<PointerSource> pointer;
    // Plays the recording studio's short sounds by name; null: silent.
    std::function<void(const QString& name)> playSound;
    // Makes the studio on its first use; null: a new RecordingStudio.
    std::function<std::unique_ptr<RecordingStudio>(RecordingHost& model)> makeStudio;
    // Makes the studio's recording windows on their first use; null: none are shown.
    std::function<std::unique_ptr<RecordingOverlay>(RecordingStudio& studio)> makeRecordingOverlay;
    // Makes the studio's floating camera picture with the studio; null: none is shown.
    std::function<std::unique_ptr<PortraitOverlay>()> makePortraitOverlay;
    VideoExports videoExports;
};

// The one application model: owns the document, the capture coordinator, the
// library, the screen recorder, the scrolling-screenshot session, (from its
// first use) the recording studio and the pinned windows; publishes the state
// the views show, each field with its own change signal; and carries every
// user action as a method. Actions report through
// the one-line `status`, and failures through fail(), which also sets `error`.
//
// Widget effects reach the model as callbacks the application installs
// (show the editor window, hide it, refresh the status item, end inline text
// editing); each runs only when installed.
//
// Lives on the main thread; every call and every completion happens there.
class AppModel : public QObject, public RecordingHost {
    Q_OBJECT
    Q_PROPERTY(QList<tavero::CaptureRecord> history READ history WRITE setHistory NOTIFY historyChanged)
    Q_PROPERTY(QString status READ status WRITE setStatus NOTIFY statusChanged)
    Q_PROPERTY(std::optional<QString> error READ error WRITE setError NOTIFY errorChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(QString ocrText READ ocrText WRITE setOcrText NOTIFY ocrTextChanged)
    Q_PROPERTY(bool showOCR READ showOCR WRITE setShowOCR NOTIFY showOCRChanged)
    Q_PROPERTY(bool hasPermission READ hasPermission NOTIFY hasPermissionChanged)
    Q_PROPERTY(bool autoSave READ autoSave WRITE setAutoSave NOTIFY autoSaveChanged)
    Q_PROPERTY(bool includeCursor READ includeCursor WRITE setIncludeCursor NOTIFY includeCursorChanged)
    Q_PROPERTY(bool recording READ recording WRITE setRecording NOTIFY recordingChanged)
    Q_PROPERTY(bool recordingStarting READ recordingStarting WRITE setRecordingStarting NOTIFY
                   recordingStartingChanged)
    Q_PROPERTY(std::optional<QDateTime> recordingDate READ recordingDate WRITE setRecordingDate NOTIFY
                   recordingDateChanged)
    Q_PROPERTY(tavero::WorkspaceFlow flow READ flow WRITE setFlow NOTIFY flowChanged)
    Q_PROPERTY(std::optional<tavero::ScreenAccessIntent> screenAccessIntent READ screenAccessIntent WRITE
                   setScreenAccessIntent NOTIFY screenAccessIntentChanged)
    Q_PROPERTY(std::optional<QString> videoURL READ videoURL WRITE setVideoURL NOTIFY videoURLChanged)
    Q_PROPERTY(int scrollCount READ scrollCount NOTIFY scrollCountChanged)
    Q_PROPERTY(int captureDelay READ captureDelay WRITE setCaptureDelay NOTIFY captureDelayChanged)
    Q_PROPERTY(int countdown READ countdown NOTIFY countdownChanged)

public:
    using Callback = std::function<void()>;

    explicit AppModel(AppModelSetup setup, QObject* parent = nullptr);
    ~AppModel() override;

    ShotDocument& document() { return *document_; }
    CaptureCoordinator& capture() override { return *capture_; }
    LocalLibrary& library() override { return *library_; }
    ScreenRecorder& recorder() { return *recorder_; }
    ScrollingCapture& scrollSession() { return *scrollSession_; }
    // Created on the first call and kept from then on.
    RecordingStudio& studio();

    // This program's windows, hidden during a countdown; the coordinator
    // hides them for each capture too. Neither shows them again: the
    // installed showWindow does, when a capture or countdown ends.
    void setApplicationWindows(ApplicationWindows* windows);
    void setShowWindow(Callback callback) { showWindow_ = std::move(callback); }
    void setHideEditor(Callback callback) { hideEditor_ = std::move(callback); }
    void setUpdateMenu(Callback callback) { updateMenu_ = std::move(callback); }
    // Makes no view first responder, which commits an inline text field.
    void setResignFirstResponder(Callback callback) { resignFirstResponder_ = std::move(callback); }

    // Published state. The library's records, newest first.
    const QList<CaptureRecord>& history() const { return history_; }
    void setHistory(QList<CaptureRecord> history);
    const QString& status() const { return status_; }
    void setStatus(const QString& status) override;
    // The alert's text; the main view clears it when the alert closes.
    const std::optional<QString>& error() const { return error_; }
    void setError(std::optional<QString> error) override;
    // A capture, a decode, a render or an image job runs.
    bool busy() const { return busy_; }
    const QString& ocrText() const { return ocrText_; }
    void setOcrText(const QString& text);
    bool showOCR() const { return showOCR_; }
    void setShowOCR(bool show);
    bool hasPermission() const { return hasPermission_; }
    // Stored under "autoSave" on every assignment.
    bool autoSave() const { return autoSave_; }
    void setAutoSave(bool autoSave);
    // Copied into the coordinator, so the next still shows the pointer.
    bool includeCursor() const { return includeCursor_; }
    void setIncludeCursor(bool include);
    bool recording() const { return recording_; }
    void setRecording(bool recording) override;
    bool recordingStarting() const { return recordingStarting_; }
    void setRecordingStarting(bool starting) override;
    const std::optional<QDateTime>& recordingDate() const { return recordingDate_; }
    void setRecordingDate(std::optional<QDateTime> date) override;
    const WorkspaceFlow& flow() const { return flow_; }
    void setFlow(const WorkspaceFlow& flow);
    const std::optional<ScreenAccessIntent>& screenAccessIntent() const { return screenAccessIntent_; }
    void setScreenAccessIntent(std::optional<ScreenAccessIntent> intent);
    // The video the workspace shows, as a local file path. Every assignment
    // of a video leaves the start screen and ends a running practice.
    const std::optional<QString>& videoURL() const override { return videoURL_; }
    void setVideoURL(std::optional<QString> video) override;
    // Frames of the running scrolling screenshot.
    int scrollCount() const { return scrollCount_; }
    // Seconds before a screenshot; 0 captures at once.
    int captureDelay() const { return captureDelay_; }
    void setCaptureDelay(int seconds);
    // Seconds left of a running screenshot countdown; 0 when none runs.
    int countdown() const { return countdown_; }

    // Reloads the library manifest into `history`.
    void refreshHistory();
    void refreshPermission();
    // Commits inline text editing and shows the start screen.
    void goHome();
    // Back from the start screen to the current content.
    void resumeWorkspace();
    // The common failure report: alert and status, busy cleared, window shown.
    void fail(const ShotError& error) override;
    // The common end of every library write of an image or a video.
    void saved(const Result<CaptureRecord>& result) override;

    // Screenshot actions.
    void take(CaptureMode mode, bool scrolling);
    // True when the action must stop because the explanation is now shown.
    bool explainScreenAccess(const ScreenAccessIntent& intent);
    void confirmScreenAccess();
    // Replays the confirmed action once the explanation sheet has closed.
    void resumeScreenAction();
    void cancelCountdown();
    void requestPermission();

    // The record command: opens the set-up or stops the running recording.
    void toggleRecording(bool preferRegion);

    // Actions on the picture as the user sees it, marks burnt in. All but
    // applyBackground() first end inline text editing, so the text being
    // typed becomes a mark, and do nothing without an image; all but
    // saveProject() do nothing while `busy`.
    using RenderedBody = std::function<void(const QImage& rendered)>;
    // Throws ShotError; runs on a worker thread.
    using ImageOperation = std::function<QImage(const QImage& rendered)>;
    // Renders off the main thread and hands the picture to `body` on the
    // main thread, `busy` already cleared.
    void renderThen(RenderedBody body);
    // Stores the rendered picture as "标注截图", encoded as `type` ("png",
    // "jpg" or "heic"), first in the history.
    void save(const QString& type = QStringLiteral("png"));
    // Writes the picture without its marks and the marks as an editable
    // project; the history does not list it.
    void saveProject();
    // Puts the rendered picture on the clipboard as its only item, PNG.
    void copy();
    // Recognises the text of the rendered picture into `ocrText` and opens
    // the sheet, also when nothing was found.
    void ocr();
    // Replaces the picture with `operation` of the rendered one (resize,
    // rotate, flip, crop, join) as one undoable step, unless the document
    // changed meanwhile. The revision is read once inline text editing has ended.
    void transform(ImageOperation operation);
    // Replaces the picture with `image` in a background frame, unless the
    // document has moved on from `revision`, the one the caller rendered
    // `image` at; shows the framed picture whole.
    void applyBackground(const QImage& image, const FrameOptions& options, qint64 revision);

    // Pinned pictures. Without a presenter pin() opens nothing.
    void setPinPresenter(PinPresenter* presenter) { pinPresenter_ = presenter; }
    void pin();
    // The pinned windows kept alive; closed ones are let go at the next pin().
    const std::vector<std::unique_ptr<PinnedWindow>>& pins() const { return pins_; }

    // Opening, pasting and the practice image. The panels need a presenter;
    // without one they do nothing.
    void setOpenPanelPresenter(OpenPanelPresenter* presenter) { openPanels_ = presenter; }
    void chooseFile();
    // A picture to join below the current one, or to its right when `horizontal`.
    void chooseAppendFile(bool horizontal);
    // A video, an editable project or an image; with `append`, a picture is
    // joined to the current one, marks burnt in, as one undoable step.
    void open(const QString& path, bool append = false, bool horizontal = false);
    void paste();
    // Opens the practice picture, unless a job or a recording runs.
    void demo();

    // Scrolling screenshot commands while a session runs.
    void addScrollFrame();
    void finishScroll();

    // Exports of the shown video into the library folder.
    void exportGIF();
    // `start` and `end` in seconds; NaN stands for a field that holds no
    // number and fails as a range past the video's end does.
    void trimVideo(double start, double end);
    // Shows another version of the shown recording, its raw or its finished
    // video, saying as opening does when it has no picture to show.
    void switchVideo(const QString& path);

signals:
    void historyChanged();
    void statusChanged();
    void errorChanged();
    void busyChanged();
    void ocrTextChanged();
    void showOCRChanged();
    void hasPermissionChanged();
    void autoSaveChanged();
    void includeCursorChanged();
    void recordingChanged();
    void recordingStartingChanged();
    void recordingDateChanged();
    void flowChanged();
    void screenAccessIntentChanged();
    void videoURLChanged();
    void scrollCountChanged();
    void captureDelayChanged();
    void countdownChanged();

private:
    QObject* hostObject() override { return this; }
    void showWindow() override { invoke(showWindow_); }
    void hideEditor() override { invoke(hideEditor_); }
    void updateMenu() override { invoke(updateMenu_); }
    static void invoke(const Callback& callback);

    StudioParts studioParts() const;
    void setBusy(bool busy);
    void setHasPermission(bool permission);
    void setCountdown(int seconds);
    void setScrollCount(int count);
    void changeFlow(const std::function<void(WorkspaceFlow&)>& change);
    void historyLoaded(QList<CaptureRecord> records, const std::optional<ShotError>& error);
    void manifestKeptAside(const QString& keptAs);
    // The library's answer, delivered to saved() while the model lives.
    LocalLibrary::RecordDone whenSaved();

    void startCountdown(CaptureMode mode, bool scrolling);
    void countdownTicked(CaptureMode mode, bool scrolling);
    void stopCountdownTimer();
    void startCapture(CaptureMode mode, bool scrolling);
    void captured(Result<QImage> result, bool scrolling);
    void openCapture(const QImage& image, bool scrolling);
    void startScrolling(const QImage& firstFrame);
    void scrollingChanged();
    void scrollingCompleted(const QImage& image, const std::optional<QString>& notice);

    // Makes no view first responder and ends the document's text session.
    void endTextEditing();
    void rendered(const Result<QImage>& result, const RenderedBody& body);
    void putOnClipboard(const Result<QByteArray>& png);
    void recognized(const Result<QString>& text);
    void transformed(const Result<QImage>& result, qint64 revision);
    void framed(const Result<QImage>& result, FramePreset preset, qint64 revision);
    void keepPin(std::unique_ptr<PinnedWindow> window);
    // A pin was closed: once none is open, the status stops telling how to close one.
    void pinClosed();

    void observeOpenRequests();
    void presentOpenPanel(bool append, bool horizontal);
    QString openPanelDirectory() const;
    void openVideo(const QString& path);
    void fileRead(const QString& path, bool append, bool horizontal, Result<OpenedFile> file);
    void checkVideo(const QString& path);
    void videoChecked(const QString& path, const Result<Done>& readable);
    void gifExported(const QString& source, const Result<QString>& file);
    // An export's failure speaks of `source` alone while it is shown.
    void exportFailed(const QString& source, const ShotError& error);
    // What was said of the video shown before gives way.
    void takeBackVideoNote();
    // The status once a passing note gives way: the video shown, or ready.
    QString restingStatus() const;
    void videoTrimmed(const QString& source, const Result<QString>& file);
    void trimListed(const QString& source, const QString& trimmed, const Result<CaptureRecord>& record);

    std::unique_ptr<ShotDocument> document_;
    std::unique_ptr<CaptureCoordinator> capture_;
    std::unique_ptr<LocalLibrary> library_;
    std::unique_ptr<ScreenRecorder> recorder_;
    std::unique_ptr<ScrollingCapture> scrollSession_;
    std::unique_ptr<RecordingStudio> studio_;
    std::shared_ptr<PointerSource> pointer_;
    std::function<void(const QString&)> playSound_;
    std::function<std::unique_ptr<RecordingStudio>(RecordingHost&)> makeStudio_;
    std::function<std::unique_ptr<RecordingOverlay>(RecordingStudio&)> makeRecordingOverlay_;
    std::function<std::unique_ptr<PortraitOverlay>()> makePortraitOverlay_;
    VideoExports videoExports_;
    OpenPanelPresenter* openPanels_ = nullptr;
    ApplicationWindows* windows_ = nullptr;
    std::chrono::milliseconds countdownTick_;

    QList<CaptureRecord> history_;
    QString status_;
    // Said in the status line until the answer of the save that set the
    // unreadable manifest aside repeats it after its own words.
    QString keptAsideNote_;
    // What the status line and the alert say of the shown video alone (its
    // GIF was saved, it cannot be read, its export failed), taken back once
    // another video is shown, or none.
    std::optional<QString> videoNote_;
    std::optional<QString> error_;
    bool busy_ = false;
    QString ocrText_;
    bool showOCR_ = false;
    bool hasPermission_ = false;
    bool autoSave_ = true;
    bool includeCursor_ = false;
    bool recording_ = false;
    bool recordingStarting_ = false;
    std::optional<QDateTime> recordingDate_;
    WorkspaceFlow flow_;
    std::optional<ScreenAccessIntent> screenAccessIntent_;
    std::optional<QString> videoURL_;
    int scrollCount_ = 0;
    int captureDelay_ = 0;
    int countdown_ = 0;
    Callback showWindow_;
    Callback hideEditor_;
    Callback updateMenu_;
    Callback resignFirstResponder_;
    // Runs while a countdown does; none otherwise.
    std::unique_ptr<QTimer> countdownTimer_;
    // Kept for this run only: once confirmed, the explanation is not shown again.
    bool screenAccessExplained_ = false;
    std::optional<ScreenAccessIntent> confirmedScreenAction_;
    PinPresenter* pinPresenter_ = nullptr;
    std::vector<std::unique_ptr<PinnedWindow>> pins_;
};

}  // namespace tavero
