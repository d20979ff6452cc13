#include "recording_ui/FloatingPanel.h"

#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/WorkspaceWindows.h"

#include <QMouseEvent>
#include <QWindow>

namespace tavero {

namespace {

Qt::WindowFlags flagsFor(FloatingPanel::Input input) {
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::WindowDoesNotAcceptFocus;
    // A window manager frames the windows it manages, and its frame would
    // catch the clicks our window lets through: a click-through window is
    // left unmanaged, which also keeps it on every workspace.
    if (input == FloatingPanel::Input::clickThrough)
        flags |= Qt::WindowTransparentForInput | Qt::BypassWindowManagerHint;
    return flags;
}

}  // namespace

FloatingPanel::FloatingPanel(const QString& title, Input input, QWidget* parent)
    : QWidget(parent, flagsFor(input)) {
    setWindowTitle(title);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    // The workspace hints must be on the native window before it is mapped.
    winId();
    if (QWindow* handle = windowHandle()) showOnEveryWorkspace(*handle);
}

FloatingPanel::~FloatingPanel() { OwnWindows::remove(quint32(internalWinId())); }

void FloatingPanel::setTakesKeyboard(bool takes) {
    if (QWindow* handle = windowHandle()) handle->setFlag(Qt::WindowDoesNotAcceptFocus, !takes);
}

void FloatingPanel::present() {
    show();
    raise();
}

void FloatingPanel::showEvent(QShowEvent*) { OwnWindows::add(quint32(winId())); }

void FloatingPanel::hideEvent(QHideEvent*) { OwnWindows::remove(quint32(internalWinId())); }

void FloatingPanel::mousePressEvent(QMouseEvent* event) {
    if (movable_ && event->button() == Qt::LeftButton) grip_ = event->globalPosition().toPoint() - pos();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event) {
    if (grip_) move(event->globalPosition().toPoint() - *grip_);
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent*) { grip_.reset(); }

}  // namespace tavero
