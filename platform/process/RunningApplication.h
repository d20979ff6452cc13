#pragma once

#include <QString>

#include <optional>

namespace tavero {

// A running program, known by its process. Plain value; any thread.
struct RunningApplication {
    qint64 processID = 0;
    QString name;

    // The program with this process id, or none when no such process runs.
    static std::optional<RunningApplication> withProcessID(qint64 processID);

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

}  // namespace tavero
