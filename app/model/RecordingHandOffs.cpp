// The model is the front door of the recording studio: the shared guards
// run here before a record request reaches the studio.
#include "app/model/AppModel.h"

#include "recording/RecordingStudio.h"

namespace tavero {

void AppModel::toggleRecording(bool preferRegion) {
    RecordingStudio& recorder = studio();
    // A running recording is always stoppable, without any explanation first.
    if (!recorder.phase().occupied() && !recorder.processing() &&
        explainScreenAccess(ScreenAccessIntent::recording(preferRegion)))
        return;
    recorder.toggle(preferRegion);
}

}  // namespace tavero
