#pragma once

#include "platform/desktop/GlobalHotKeys.h"

#include <QList>
#include <QSet>

namespace tavero {

// Hot keys without a display, for tests and TAVERO_PLATFORM=fake: the caller
// says which keys another program holds and presses the taken ones. Main
// thread.
class FakeGlobalHotKeys final : public GlobalHotKeys {
public:
    struct Grab {
        quint32 identifier = 0;
        QChar key;
        Qt::KeyboardModifiers modifiers;
    };

    // `key` is held by another program from now on.
    void occupy(QChar key) { occupied_.insert(key.toUpper()); }
    // A press of the combination taken under `identifier`; nothing when it
    // was not taken.
    void press(quint32 identifier);

    // The combinations taken, in the order they were.
    const QList<Grab>& grabs() const { return grabs_; }

    bool grab(quint32 identifier, QChar key, Qt::KeyboardModifiers modifiers) override;
    void setPressed(Pressed pressed) override { pressed_ = std::move(pressed); }

private:
    QSet<QChar> occupied_;
    QList<Grab> grabs_;
    Pressed pressed_;
};

}  // namespace tavero
