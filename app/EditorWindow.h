#pragma once

#include <QMainWindow>
#include <QSize>

namespace tavero {

// The editor window: the main menu in its menu bar and the editor's content.
// Made once and only hidden and shown afterwards: closing it hides it, and
// the program keeps running in the tray. Its size is kept in the settings
// under "Vistagon.editor", restored when it is made, and it opens centred on
// its screen. Owns its content; main thread.
class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize defaultSize{1180, 790};
    static constexpr QSize smallestSize{980, 690};
    static constexpr const char* frameKey = "Vistagon.editor";

    explicit EditorWindow(QWidget* content);
    ~EditorWindow() override;

    // Shows the window, restored if minimised, on top and with the keyboard.
    void bringForward();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void restoreFrame();
    void saveFrame() const;
    void centreOnScreen();
};

}  // namespace tavero
