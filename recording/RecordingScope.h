#pragma once

#include <QString>

#include <array>
#include <optional>

namespace tavero {

// What a take records: one window, an area of one display, a whole display,
// or the camera picture alone.
enum class RecordingScope { window, area, display, camera };

// In the order of the set-up sheet's picker.
inline constexpr std::array<RecordingScope, 4> allRecordingScopes{
    RecordingScope::window, RecordingScope::area, RecordingScope::display, RecordingScope::camera};

// The picker's label, which is also the stored value ("窗口", …).
QString rawValue(RecordingScope scope);
// Exactly one of the four labels; any other text is no scope.
std::optional<RecordingScope> recordingScopeFromRaw(const QString& raw);

}  // namespace tavero
