#pragma once

#include "app/ShellCommand.h"
#include "recording/RecordingPhase.h"

#include <QList>
#include <QString>

namespace tavero {

// What the status item and its menu are drawn from, read from the model and
// the recording studio at the moment they are drawn.
struct StatusState {
    bool recording = false;
    RecordingPhase phase;
    // Seconds of the current take; finite, never negative.
    double elapsed = 0;
    // Seconds left of a screenshot countdown.
    int countdown = 0;
    // Frames of a running scrolling screenshot.
    int scrollCount = 0;
};

// The status item's face: a symbol, its tint and the title beside it.
struct StatusLook {
    enum class Tint { none, red, orange };

    QString symbol;
    Tint tint = Tint::none;
    // Starts with a blank when not empty (" 01:15", " 长图 4").
    QString title;

    static StatusLook of(const StatusState& state);
    // The tool tip of the status item.
    static QString toolTip();
    // " %02d:%02d" of whole minutes and seconds.
    static QString clock(double seconds);
};

// One line of the status menu: a command with its title, or a separator.
struct StatusMenuEntry {
    QString title;
    ShellCommand command = ShellCommand::openEditor;
    bool separator = false;

    // The menu as it opens in `state`.
    static QList<StatusMenuEntry> entries(const StatusState& state);

    friend bool operator==(const StatusMenuEntry&, const StatusMenuEntry&) = default;
};

}  // namespace tavero
