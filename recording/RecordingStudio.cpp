#include "recording/RecordingStudio.h"

#include "recording/RecordingMessages.h"

namespace tavero {

RecordingStudio::RecordingStudio(RecordingHost& model, QObject* parent)
    : QObject(parent), model_(&model), modelObject_(model.hostObject()) {}

RecordingHost* RecordingStudio::model() const { return modelObject_ ? model_ : nullptr; }

void RecordingStudio::setSetupVisible(bool visible) {
    if (visible == setupVisible_) return;
    setupVisible_ = visible;
    emit setupVisibleChanged();
}

void RecordingStudio::setPhase(RecordingPhase phase) {
    if (phase == phase_) return;
    phase_ = phase;
    emit phaseChanged();
}

void RecordingStudio::toggle(bool preferRegion) {
    Q_UNUSED(preferRegion)
    if (phase_.occupied()) return stop();
    RecordingHost* host = model();
    if (!host) return;
    if (processing_) {
        host->setStatus(RecordingMessages::renderRunning());
        host->showWindow();
        return;
    }
    setSetupVisible(true);
    host->showWindow();
}

void RecordingStudio::togglePause() {}

void RecordingStudio::restart() {}

void RecordingStudio::stop() {}

void RecordingStudio::cancelExport() {}

void RecordingStudio::loadProject(const QString& videoPath) { Q_UNUSED(videoPath) }

}  // namespace tavero
