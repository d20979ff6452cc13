#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tavero {

// What keeps this user's local traffic to this user: folders nobody else can
// enter and the user at the other end of a local socket. Callable on any
// thread.
namespace LocalUser {

// The effective user id of this process.
uint id();

// True when `path` is a folder of this user that nobody else may enter. A
// link is never taken for a folder. With `make`, a missing folder is created
// (mode 0700) and one of this user's own that others may enter is closed to
// them first.
bool privateFolder(const QString& path, bool make);

// The user id of the process at the other end of the connected local socket
// `descriptor`; nothing when the system does not say.
std::optional<uint> peerId(qintptr descriptor);

// Whether the process at the other end of the connected local socket
// `descriptor` has closed it, or its sending end, whether or not what it
// sent before has been read yet. Never waits.
bool peerHungUp(qintptr descriptor);

}  // namespace LocalUser

}  // namespace tavero
