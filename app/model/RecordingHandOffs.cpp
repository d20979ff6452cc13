// The model is the front door of the recording studio: the shared guards
// run here before a record request reaches the studio.
#include "app/model/AppModel.h"

#include "recording/studio/RecordingStudio.h"

namespace tavero {

void AppModel::toggleRecording(bool preferRegion) {
    if (scrollSession_->isActive()) return scrollSession_->presentControls();
    RecordingStudio& recordingStudio = studio();
    // A running recording is always stoppable, without any explanation first.
    if (!recordingStudio.phase().occupied() && !recordingStudio.processing() &&
        explainScreenAccess(ScreenAccessIntent::recording(preferRegion)))
        return;
    recordingStudio.toggle(preferRegion);
}

}  // namespace tavero
