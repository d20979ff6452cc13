#include "app/EditorWindow.h"

#include "platform/AppBrand.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace tavero {

EditorWindow::EditorWindow(QWidget* content) {
    setWindowTitle(AppBrand::displayName);
    setWindowIcon(AppBrand::icon());
    setMinimumSize(smallestSize);
    setCentralWidget(content);
    resize(defaultSize);
    restoreFrame();
    centreOnScreen();
}

EditorWindow::~EditorWindow() { saveFrame(); }

void EditorWindow::bringForward() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    // Without a window manager nothing keeps an open sheet above the window
    // just raised: it goes up again and keeps the keyboard.
    QWidget* front = this;
    for (QDialog* sheet : findChildren<QDialog*>())
        if (sheet->isWindow() && sheet->isVisible()) {
            sheet->raise();
            front = sheet;
        }
    front->activateWindow();
}

void EditorWindow::hideEvent(QHideEvent* event) {
    saveFrame();
    QMainWindow::hideEvent(event);
}

// The saved size comes back; the position does not, as the window is then
// centred.
void EditorWindow::restoreFrame() {
    const QRect saved = QSettings().value(QLatin1String(frameKey)).toRect();
    if (saved.isValid()) resize(saved.size().expandedTo(smallestSize));
}

void EditorWindow::saveFrame() const { QSettings().setValue(QLatin1String(frameKey), normalGeometry()); }

void EditorWindow::centreOnScreen() {
    const QScreen* place = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!place) return;
    QRect frame(QPoint(), size());
    frame.moveCenter(place->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace tavero
