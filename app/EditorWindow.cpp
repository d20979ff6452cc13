#include "app/EditorWindow.h"

#include "platform/AppBrand.h"

#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace tavero {

EditorWindow::EditorWindow(QWidget* content) : contentMinimum_(content->minimumSize()) {
    setWindowTitle(AppBrand::displayName);
    setWindowIcon(AppBrand::icon());
    setCentralWidget(content);
    // The saved size comes back, the designed one the first time; the
    // position does not, as the window opens centred.
    const QRect saved = QSettings().value(QLatin1String(frameKey)).toRect();
    setMinimumSize(smallestSize);
    resize(saved.isValid() ? saved.size().expandedTo(smallestSize) : defaultSize);
    // Its position, not a screen set beforehand, decides where Qt shows it.
    if (QScreen* place = pointerScreen()) fitInto(place->availableGeometry(), QMargins());
}

EditorWindow::~EditorWindow() { saveFrame(); }

void EditorWindow::bringForward() {
    const QList<QDialog*> sheets = openSheets();
    // Not Qt::WindowActive, which would ask for the keyboard before a sheet.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    // Without a window manager nothing keeps an open sheet above the window
    // just raised: it goes up again and keeps the keyboard.
    for (QDialog* sheet : sheets) sheet->raise();
    QWidget* front = sheets.isEmpty() ? static_cast<QWidget*>(this) : sheets.last();
    front->activateWindow();
}

// A window manager gives the keyboard to a window as it maps: with a sheet
// open, the sheet keeps it, and the window coming back under it does not
// take it first.
void EditorWindow::setVisible(bool visible) {
    if (visible) setAttribute(Qt::WA_ShowWithoutActivating, !openSheets().isEmpty());
    QMainWindow::setVisible(visible);
}

QList<QDialog*> EditorWindow::openSheets() const {
    QList<QDialog*> open;
    for (QDialog* sheet : findChildren<QDialog*>())
        if (sheet->isWindow() && sheet->isVisible()) open.append(sheet);
    return open;
}

void EditorWindow::hideEvent(QHideEvent* event) {
    saveFrame();
    QMainWindow::hideEvent(event);
    emit visibilityChanged();
}

void EditorWindow::saveFrame() const { QSettings().setValue(QLatin1String(frameKey), normalGeometry()); }

QScreen* EditorWindow::pointerScreen() {
    QScreen* underPointer = QGuiApplication::screenAt(QCursor::pos());
    return underPointer ? underPointer : QGuiApplication::primaryScreen();
}

// Fitted again just before it first maps, with the menu bar in and the
// frame, where the platform knows it already.
void EditorWindow::showEvent(QShowEvent* event) {
    if (placement_ == Placement::unshown && screen()) {
        const QMargins frame = windowManagerFrame();
        placement_ = frame.isNull() ? Placement::awaitingFrame : Placement::settled;
        fitInto(screen()->availableGeometry(), frame);
    }
    QMainWindow::showEvent(event);
    emit visibilityChanged();
}

// A window manager puts its frame around the window only once it shows;
// the window learns of it through a move or a resize.
bool EditorWindow::event(QEvent* event) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) fitFrameOnceKnown();
    return QMainWindow::event(event);
}

void EditorWindow::fitFrameOnceKnown() {
    if (placement_ != Placement::awaitingFrame || !isVisible() || !screen()) return;
    const QMargins frame = windowManagerFrame();
    if (frame.isNull()) return;
    placement_ = Placement::settled;
    const QRect area = screen()->availableGeometry();
    if (!area.contains(frameGeometry())) fitInto(area, frame);
}

QMargins EditorWindow::windowManagerFrame() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// Size and minimum, the content's included, stay within the screen's free
// area, so that a small screen or a large scale never leaves the title bar
// or the status bar out of reach; `frame` is what the window manager puts
// around the window. The window is centred in that area.
void EditorWindow::fitInto(const QRect& area, const QMargins& frame) {
    const QSize room = area.size().shrunkBy(frame);
    const int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    centralWidget()->setMinimumSize(contentMinimum_.boundedTo(room - QSize(0, menuHeight)));
    setMinimumSize(smallestSize.boundedTo(room));
    resize(size().boundedTo(room));
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(area.center());
    move(outer.topLeft());
}

}  // namespace tavero
