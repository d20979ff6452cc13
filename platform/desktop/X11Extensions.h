#pragma once

#include "platform/desktop/X11Connection.h"

#include <optional>

namespace tavero::x11 {

// The extensions that follow the screen, made ready on `connection`. Each
// must be announced (QueryVersion) before its first request, or the server
// answers nothing.

// DAMAGE 1.1: the code of its first event, none without the extension.
std::optional<uint8_t> startDamage(Connection& connection);

// Composite 0.2, which names window pixmaps.
bool startComposite(Connection& connection);

// RandR 1.5 (monitors): the code of its first event, none without it.
std::optional<uint8_t> startRandr(Connection& connection);

// XFixes 4 (the pointer's image and its changes): the code of its first
// event, none without it.
std::optional<uint8_t> startXFixes(Connection& connection);

// Whether a compositing manager runs: every window then already draws into
// pixels of its own, and redirecting it again exposes nothing.
bool compositingManagerRuns(Connection& connection);

}  // namespace tavero::x11
