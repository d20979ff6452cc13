#pragma once

#include "app/ShellCommand.h"

#include <QChar>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tavero {

class GlobalHotKeys;

// The program's six system-wide keys, Ctrl+Shift with 1, 2, 6, 8, 9 and P,
// known by the identifiers 1, 2, 6, 8, 9 and 10. Registering takes them
// from the display; every press then calls `action` with the key's
// identifier. Owns the grabs, which end with the object. Main thread.
class HotKeys {
public:
    using Action = std::function<void(quint32 identifier)>;

    struct Key {
        quint32 identifier = 0;
        QChar key;
        ShellCommand command;
    };

    // The keys in registration order.
    static const QList<Key>& table();
    // The command of a key; none for an identifier outside the table.
    static std::optional<ShellCommand> command(quint32 identifier);
    // "Ctrl+Shift+2", "Ctrl+Shift+P".
    static QString keyName(quint32 identifier);
    // The status line naming the keys another program holds.
    static QString occupiedMessage(const QList<quint32>& identifiers);

    // Without `keys` (no display) nothing can be registered.
    explicit HotKeys(std::unique_ptr<GlobalHotKeys> keys);
    ~HotKeys();

    void setAction(Action action) { action_ = std::move(action); }
    // Takes every key of the table; the identifiers that could not be taken,
    // in table order.
    QList<quint32> registerAll();

private:
    std::unique_ptr<GlobalHotKeys> keys_;
    Action action_;
};

}  // namespace tavero
