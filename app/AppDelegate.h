#pragma once

#include "app/HotKeys.h"
#include "app/KeyboardFocusMark.h"
#include "app/ShellCommand.h"
#include "app/StatusLook.h"
#include "app/TrayRest.h"
#include "app/WidgetPinPresenter.h"
#include "app/model/AppModel.h"
#include "capture/ui/ScrollCapturePresenter.h"
#include "capture/ui/SelectionOverlay.h"
#include "capture/ui/WidgetApplicationWindows.h"
#include "editor_ui/RecordingViews.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace tavero {

class EditorWindow;
class OpenPanelPresenter;
class GlobalHotKeys;
class StatusItem;

// What the program runs on; tests pass fakes.
struct AppDelegateSetup {
    AppModelSetup model;
    // Null: no hot key can be registered.
    std::unique_ptr<GlobalHotKeys> hotKeys;
};

// Everything the user sees around the application model: the editor window
// with the main menu, the status item, the global hot keys and the 1 s
// refresh of the status item. It answers the program's life-cycle questions
// (quit, reopen, files handed over, becoming active) and carries out every
// menu and hot-key command, each by one call of the model, the recording
// studio or the document.
//
// Owns the model, the hot keys, the window, the status item, the timer and
// the widget parts the model is given (overlay, scrolling bar, pinned
// windows, open panels, the program's windows). Resting in the tray, the
// program gives back the memory its work freed (TrayRest). Made once per
// process; main thread.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppDelegateSetup setup, QObject* parent = nullptr);
    ~AppDelegate() override;

    AppModel& model() { return model_; }
    // None until launch.
    EditorWindow* window() const { return window_.get(); }
    StatusItem* statusItem() const { return item_.get(); }

    // Builds the window, the menus, the status item and the hot keys, starts
    // the refresh, opens the practice picture when the switches given hold
    // "--demo" and shows the window. Once.
    void launch(const QStringList& switches);

    // Brings the editor forward, or the scrolling screenshot's bar while one runs.
    void show();
    // The one gate every way to quit passes: true when the program may end
    // now; otherwise it has started ending what runs.
    bool shouldTerminate();
    // Quits when the gate allows.
    void quit();
    // The program is told to end (SIGTERM, a session logging out): passes
    // the gate as a quit does, then quits on its own once what runs has
    // ended (a take stopped, saved and listed; a render cancelled).
    void terminate();
    // Of the files handed over while an open runs, this many wait their turn;
    // past it the oldest waiting gives way, so the last one handed over is
    // still the one shown.
    static constexpr qsizetype mostWaitingFiles = 16;

    // The program was started again: with files, opens the first, once the
    // files handed over before it have opened; without, brings the editor
    // forward.
    void started(const QStringList& files);
    // The program came to the front: the history follows the library folder.
    void becameActive();
    void updateStatus();
    void perform(ShellCommand command);

    // The state the status item and its menu show now.
    StatusState statusState();

private:
    static RecordingViews recordingViews();
    void installCallbacks();
    void registerHotKeys();
    void hotKeyPressed(quint32 identifier);
    void performCapture(ShellCommand command);
    void performRecording(ShellCommand command);
    void performEdit(ShellCommand command);
    void openFolder();
    void about();
    // After terminate(): quits once nothing runs any more.
    void quitOnceIdle();
    // In the tray: the window closed, no take, no render.
    bool resting();
    // Opens the next file handed over, once the model is free.
    void openHandedOver();

    // The widget parts outlive the model, which keeps pointers to them.
    SelectionOverlay overlay_;
    ScrollCapturePresenter scrollControls_;
    WidgetPinPresenter pins_;
    std::unique_ptr<OpenPanelPresenter> openPanels_;
    WidgetApplicationWindows windows_;
    AppModel model_;
    HotKeys keys_;
    KeyboardFocusMark keyboardMark_;
    std::unique_ptr<EditorWindow> window_;
    std::unique_ptr<StatusItem> item_;
    QTimer timer_;
    TrayRest rest_;
    // Files handed over that wait for the model, oldest first.
    QStringList handedOver_;
    bool terminating_ = false;
};

}  // namespace tavero
