#include "editor_ui/style/RecordingAccent.h"

namespace tavero {

const QColor& recordingAccent() {
    static const QColor colour = QColor::fromRgbF(0.067f, 0.612f, 0.494f);
    return colour;
}

}  // namespace tavero
