#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tavero {

class AppModel;

// The settings sheet: the two capture settings (auto-save and the pointer
// in screenshots), which take effect at once in the model, a reference
// table of the keyboard shortcuts, where the library lies with a button to
// open it, a button that checks screen access, and "完成", which calls
// `dismiss`. Nothing in it is ever disabled and there is nothing to cancel.
//
// Observes the model; main thread.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 510;

    SettingsView(AppModel& model, std::function<void()> dismiss, QWidget* parent = nullptr);

    // The brand's name, a blank and the program's version, if it has one.
    static QString versionLine();

    QLabel* versionLabel() const { return version_; }
    QCheckBox* autoSaveToggle() const { return autoSave_; }
    QCheckBox* cursorToggle() const { return cursor_; }
    QLabel* libraryPath() const { return path_; }
    QPushButton* openFolderButton() const { return openFolder_; }
    QPushButton* permissionButton() const { return permission_; }
    QPushButton* doneButton() const { return done_; }

private:
    QWidget* makeHeader();
    QWidget* makeShortcutTable();
    QWidget* makeLibrarySection();
    QWidget* makeButtons();
    void showModel();

    AppModel& model_;
    std::function<void()> dismiss_;
    QLabel* version_ = nullptr;
    QCheckBox* autoSave_ = nullptr;
    QCheckBox* cursor_ = nullptr;
    QLabel* path_ = nullptr;
    QPushButton* openFolder_ = nullptr;
    QPushButton* permission_ = nullptr;
    QPushButton* done_ = nullptr;
};

}  // namespace tavero
