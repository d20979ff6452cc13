#include "app/StatusItem.h"

#include "app/StatusIcon.h"

namespace tavero {

StatusItem::StatusItem(Entries entries, Perform perform, QObject* parent)
    : QObject(parent), entries_(std::move(entries)), perform_(std::move(perform)) {
    connect(&menu_, &QMenu::aboutToShow, this, &StatusItem::rebuildMenu);
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) emit clicked();
    });
    icon_.setContextMenu(&menu_);
    update(StatusLook::of({}));
    icon_.show();
}

void StatusItem::update(const StatusLook& look) {
    title_ = look.title;
    icon_.setIcon(StatusIcon::draw(look));
    const QString title = look.title.trimmed();
    icon_.setToolTip(title.isEmpty() ? StatusLook::toolTip() : StatusLook::toolTip() + QLatin1Char('\n') + title);
}

void StatusItem::rebuildMenu() {
    menu_.clear();
    for (const StatusMenuEntry& entry : entries_()) {
        if (entry.separator) {
            menu_.addSeparator();
            continue;
        }
        const ShellCommand command = entry.command;
        menu_.addAction(entry.title, this, [this, command] { perform_(command); });
    }
}

}  // namespace tavero
