#pragma once

#include "app/StatusLook.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

namespace tavero {

// The status item, a tray icon: the status symbol with its title drawn into
// it, a tool tip that repeats the title, and a menu emptied and filled again
// each time it opens, so its items always match the moment. Without a tray
// host it shows nowhere and the program works from its window and hot keys.
// Owns the icon and the menu; main thread.
class StatusItem : public QObject {
    Q_OBJECT
public:
    using Entries = std::function<QList<StatusMenuEntry>()>;
    using Perform = std::function<void(ShellCommand)>;

    StatusItem(Entries entries, Perform perform, QObject* parent = nullptr);

    // Draws `look`; nothing is kept from earlier looks.
    void update(const StatusLook& look);
    // Empties the menu and fills it from the entries of this moment.
    void rebuildMenu();

    const QSystemTrayIcon& icon() const { return icon_; }
    QMenu& menu() { return menu_; }
    // The title drawn last.
    const QString& title() const { return title_; }

signals:
    // A click on the icon itself, not on its menu.
    void clicked();

private:
    Entries entries_;
    Perform perform_;
    QMenu menu_;
    QSystemTrayIcon icon_;
    QString title_;
};

}  // namespace tavero
