#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tavero {

class AppModel;
class RecordingStudio;

// The views of the recording interface that the editor window shows: the
// video workspace in place of the canvas, and the content of the recording
// set-up sheet. They belong to the recording interface's own library, beside
// this one, so the program hands them in. Without a workspace the place stays
// empty; without a set-up view the sheet says that recording is unavailable.
// The workspace is made for the first video shown and follows the model's
// later videos itself.
struct RecordingViews {
    // The workspace for the video at `video`, a local file path.
    std::function<QWidget*(AppModel& model, RecordingStudio& studio, const QString& video)> videoWorkspace;
    // The content of the set-up sheet, made each time the sheet opens.
    std::function<QWidget*(AppModel& model, RecordingStudio& studio)> setupSheet;
};

}  // namespace tavero
