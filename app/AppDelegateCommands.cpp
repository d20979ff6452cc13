// The commands of the menus, the status menu and the hot keys: each is one
// call of the model, the recording studio or the document.
#include "app/AppDelegate.h"

#include "app/AboutPanel.h"
#include "app/EditorWindow.h"
#include "app/FocusedTextField.h"
#include "document/ShotDocument.h"
#include "recording/studio/RecordingStudio.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tavero {

void AppDelegate::perform(ShellCommand command) {
    switch (command) {
    case ShellCommand::openEditor: return show();
    case ShellCommand::openFile:
        show();
        return model_.chooseFile();
    case ShellCommand::home:
        model_.goHome();
        return show();
    case ShellCommand::area:
    case ShellCommand::full:
    case ShellCommand::windowShot:
    case ShellCommand::previous:
    case ShellCommand::scroll:
    case ShellCommand::addScroll:
    case ShellCommand::finishScroll:
    case ShellCommand::cancelCountdown: return performCapture(command);
    case ShellCommand::record:
    case ShellCommand::pauseRecording:
    case ShellCommand::retake: return performRecording(command);
    case ShellCommand::save: return model_.save(QStringLiteral("png"));
    case ShellCommand::saveProject: return model_.saveProject();
    case ShellCommand::copyImage:
    case ShellCommand::paste:
    case ShellCommand::undo:
    case ShellCommand::redo: return performEdit(command);
    case ShellCommand::folder: return openFolder();
    case ShellCommand::quit: return quit();
    case ShellCommand::about: return AboutPanel::open(window_.get());
    }
}

void AppDelegate::performCapture(ShellCommand command) {
    switch (command) {
    case ShellCommand::area: return model_.take(CaptureMode::area, false);
    case ShellCommand::full: return model_.take(CaptureMode::full, false);
    case ShellCommand::windowShot: return model_.take(CaptureMode::window, false);
    case ShellCommand::previous: return model_.take(CaptureMode::previous, false);
    case ShellCommand::scroll: return model_.take(CaptureMode::area, true);
    case ShellCommand::addScroll: return model_.addScrollFrame();
    case ShellCommand::finishScroll: return model_.finishScroll();
    case ShellCommand::cancelCountdown: return model_.cancelCountdown();
    default: return;
    }
}

void AppDelegate::performRecording(ShellCommand command) {
    switch (command) {
    case ShellCommand::record: return model_.toggleRecording(false);
    case ShellCommand::pauseRecording: return model_.studio().togglePause();
    case ShellCommand::retake: return model_.studio().restart();
    default: return;
    }
}

// Copy, paste, undo and redo go to a focused text field first, so the same
// keys edit the text being typed and, otherwise, the picture.
void AppDelegate::performEdit(ShellCommand command) {
    using Edit = FocusedTextField::Edit;
    switch (command) {
    case ShellCommand::copyImage:
        if (!FocusedTextField::perform(Edit::copy)) model_.copy();
        return;
    case ShellCommand::paste:
        if (!FocusedTextField::perform(Edit::paste)) model_.paste();
        return;
    case ShellCommand::undo:
        if (!FocusedTextField::perform(Edit::undo)) model_.document().undo();
        return;
    case ShellCommand::redo:
        if (!FocusedTextField::perform(Edit::redo)) model_.document().redo();
        return;
    default: return;
    }
}

// The folder is not made here: a library folder that was deleted opens
// nothing and shows no error until the next load or save makes it again.
void AppDelegate::openFolder() {
    const QString root = model_.library().root();
    if (QFileInfo(root).isDir()) QDesktopServices::openUrl(QUrl::fromLocalFile(root));
}

}  // namespace tavero
