// The plain setters of the model's published fields: each emits its change
// signal only when the value changes.
#include "app/model/AppModel.h"

namespace tavero {

namespace {

template <typename T>
bool assign(T& field, T value) {
    if (field == value) return false;
    field = std::move(value);
    return true;
}

}  // namespace

void AppModel::setHistory(QList<CaptureRecord> history) {
    if (assign(history_, std::move(history))) emit historyChanged();
}

void AppModel::setStatus(const QString& status) {
    if (assign(status_, status)) emit statusChanged();
}

void AppModel::setError(std::optional<QString> error) {
    if (assign(error_, std::move(error))) emit errorChanged();
}

void AppModel::setBusy(bool busy) {
    if (assign(busy_, busy)) emit busyChanged();
}

void AppModel::setOcrText(const QString& text) {
    if (assign(ocrText_, text)) emit ocrTextChanged();
}

void AppModel::setShowOCR(bool show) {
    if (assign(showOCR_, show)) emit showOCRChanged();
}

void AppModel::setHasPermission(bool permission) {
    if (assign(hasPermission_, permission)) emit hasPermissionChanged();
}

void AppModel::setRecording(bool recording) {
    if (assign(recording_, recording)) emit recordingChanged();
}

void AppModel::setRecordingStarting(bool starting) {
    if (assign(recordingStarting_, starting)) emit recordingStartingChanged();
}

void AppModel::setRecordingDate(std::optional<QDateTime> date) {
    if (assign(recordingDate_, std::move(date))) emit recordingDateChanged();
}

void AppModel::setFlow(const WorkspaceFlow& flow) {
    if (assign(flow_, flow)) emit flowChanged();
}

void AppModel::setScreenAccessIntent(std::optional<ScreenAccessIntent> intent) {
    if (assign(screenAccessIntent_, std::move(intent))) emit screenAccessIntentChanged();
}

void AppModel::setCaptureDelay(int seconds) {
    if (assign(captureDelay_, seconds)) emit captureDelayChanged();
}

void AppModel::setCountdown(int seconds) {
    if (assign(countdown_, seconds)) emit countdownChanged();
}

void AppModel::setScrollCount(int count) {
    if (assign(scrollCount_, count)) emit scrollCountChanged();
}

}  // namespace tavero
