#pragma once

#include <QMainWindow>
#include <QSize>

class QDialog;
class QScreen;

namespace tavero {

// The editor window: the main menu in its menu bar and the editor's content.
// Made once and only hidden and shown afterwards: closing it hides it, and
// the program keeps running in the tray. Its size is kept in the settings
// under "Vistagon.editor" and restored when it is made; it opens centred on
// the screen under the pointer, no larger than that screen's free area.
// Owns its content; main thread.
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
    void setVisible(bool visible) override;

signals:
    // Shown, hidden, minimised or restored.
    void visibilityChanged();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Placement { unshown, awaitingFrame, settled };

    static QScreen* pointerScreen();
    // The sheets shown over the window, oldest first.
    QList<QDialog*> openSheets() const;
    void fitFrameOnceKnown();
    // What the window manager puts around the window; none until it has.
    QMargins windowManagerFrame() const;
    void fitInto(const QRect& area, const QMargins& frame);
    void saveFrame() const;

    QSize contentMinimum_;
    Placement placement_ = Placement::unshown;
};

}  // namespace tavero
