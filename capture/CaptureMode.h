#pragma once

namespace tavero {

// What a still screenshot captures: an area chosen on the frozen screen, the
// full display, the window under the pointer, or the previous area again.
enum class CaptureMode { area, full, window, previous };

}  // namespace tavero
