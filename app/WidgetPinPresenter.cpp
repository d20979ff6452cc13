#include "app/WidgetPinPresenter.h"

#include "app/PinWindow.h"
#include "platform/desktop/WorkspaceWindows.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWindow>

namespace tavero {

namespace {

QScreen* screenInUse() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

std::unique_ptr<PinnedWindow> WidgetPinPresenter::open(const QImage& picture, std::function<void()> closed) {
    auto window = std::make_unique<PinWindow>(picture, std::move(closed));
    // The hints must be in place before the window is first mapped.
    window->winId();
    if (QWindow* handle = window->windowHandle()) showOnEveryWorkspace(*handle);
    if (const QScreen* screen = screenInUse())
        window->move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(), screen->availableGeometry())
                         .topLeft());
    // In front, yet the program in use keeps the keyboard.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->show();
    window->raise();
    return window;
}

}  // namespace tavero
