// Getting a take ready: the record command, reading the windows and
// displays to offer, the area picker, and what the set-up sheet shows of the
// current choice.
#include "recording/studio/RecordingStudio.h"

#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "library/LocalLibrary.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/RecordingMessages.h"
#include "recording/studio/StudioMessages.h"
#include "recording/studio/RecordingTargets.h"

#include <QCoreApplication>

namespace tavero {

void RecordingStudio::toggle(bool preferRegion) {
    if (phase_.occupied()) return stop();
    RecordingHost* host = model();
    if (!host) return;
    if (processing_) {
        host->setStatus(RecordingMessages::renderRunning());
        host->showWindow();
        return;
    }
    prepare(preferRegion);
}

void RecordingStudio::prepare(bool preferRegion) {
    RecordingHost* host = model();
    if (!host) return;
    refreshAudioAuthorization();
    // The camera's last take left the effects off; the next one starts from
    // what the user had chosen before it.
    if (take_.camera) setEffects(take_.effects);
    // The preview runs while the sheet is open.
    if (cameraEnabled_) webcam_->start(false);
    refreshDiskSpace();
    const QUuid token = QUuid::createUuid();
    selectionToken_ = token;
    publish(loadingTargets_, true);
    publish(targetError_, std::optional<QString>());
    setSetupVisible(true);
    host->showWindow();
    QPointer<RecordingStudio> self(this);
    host->capture().content([self, token, preferRegion](Result<ShareableContent> result) {
        if (self) self->contentArrived(token, preferRegion, std::move(result));
    });
}

// Only the latest preparation's answer counts.
void RecordingStudio::contentArrived(const QUuid& token, bool preferRegion, Result<ShareableContent> result) {
    RecordingHost* host = model();
    if (token != selectionToken_ || !host) return;
    publish(loadingTargets_, false);
    if (!result) return publish(targetError_, std::optional<QString>(result.error().message()));
    content_ = std::move(result).value();
    publish(displays_, content_->displays);
    CaptureCoordinator& capture = host->capture();
    publish(windows_, RecordingTargets::offeredWindows(*content_, capture.windowOrder(),
                                                        QCoreApplication::applicationPid()));
    chooseDefaultTargets(*host);
    const std::optional<CaptureRegion>& lastRegion = capture.lastRegion();
    if (preferRegion && lastRegion && content_->display(lastRegion->displayID)) {
        setRegion(lastRegion);
        setDisplayID(lastRegion->displayID);
        return setScope(RecordingScope::area);
    }
    if (windows_.isEmpty() && scope_ != RecordingScope::camera) setScope(RecordingScope::display);
}

// The user's last window and display stay chosen while they exist; else the
// frontmost window and the display under the pointer.
void RecordingStudio::chooseDefaultTargets(RecordingHost& host) {
    if (!selectedWindow()) setWindowID(windows_.isEmpty() ? 0 : windows_.first().id);
    if (selectedDisplay()) return;
    if (const std::optional<DisplayInfo> pointer = host.capture().pointerDisplay())
        setDisplayID(pointer->id);
    else
        setDisplayID(displays_.isEmpty() ? 0 : displays_.first().id);
}

void RecordingStudio::selectArea() {
    RecordingHost* host = model();
    if (!host || !selectedDisplay()) return;
    setSetupVisible(false);
    QPointer<RecordingStudio> self(this);
    host->capture().selectRecordingArea(displayID_, [self](Result<CaptureRegion> result) {
        if (self) self->areaSelected(std::move(result));
    });
}

// The sheet comes back whatever the picker answered; a cancel changes nothing.
void RecordingStudio::areaSelected(Result<CaptureRegion> result) {
    if (result) {
        setRegion(result.value());
        setScope(RecordingScope::area);
        publish(targetError_, std::optional<QString>());
    } else if (result.error().message() != CaptureMessages::areaCancelled()) {
        publish(targetError_, std::optional<QString>(result.error().message()));
    }
    // The sheet first: a window manager then gives the keyboard to the sheet
    // as the window comes back, not to the window behind it.
    setSetupVisible(true);
    if (RecordingHost* host = model()) host->showWindow();
    emit areaPickerClosed();
}

std::optional<WindowInfo> RecordingStudio::selectedWindow() const {
    for (const WindowInfo& window : windows_)
        if (window.id == windowID_) return window;
    return std::nullopt;
}

std::optional<DisplayInfo> RecordingStudio::selectedDisplay() const {
    for (const DisplayInfo& display : displays_)
        if (display.id == displayID_) return display;
    return std::nullopt;
}

QString RecordingStudio::targetName() const {
    switch (scope_) {
    case RecordingScope::window: {
        const std::optional<WindowInfo> window = selectedWindow();
        return window ? windowName(*window) : StudioMessages::noWindowChosen();
    }
    case RecordingScope::area:
        if (!region_) return StudioMessages::noAreaChosen();
        return StudioMessages::areaTarget(int(region_->rect.width()), int(region_->rect.height()));
    case RecordingScope::display: {
        const std::optional<DisplayInfo> display = selectedDisplay();
        const QSizeF size = display ? display->pointSize() : QSizeF();
        return StudioMessages::displayTarget(int(size.width()), int(size.height()));
    }
    case RecordingScope::camera:
        return StudioMessages::cameraTarget(rawValue(cameraFraming_.aspect), cameraFraming_.sizeLabel());
    }
    return {};
}

QString RecordingStudio::windowName(const WindowInfo& window) {
    QString name = window.applicationName.value_or(StudioMessages::someWindow());
    if (!window.title.isEmpty()) name += QStringLiteral(" · ") + window.title;
    return name;
}

QString RecordingStudio::audioSummary() const {
    const bool server = !soundSources_ || soundSources_->server;
    const bool microphoneFound = server && (!soundSources_ || soundSources_->microphone);
    const QString microphone = !microphone_        ? QStringLiteral("未开")
                               : !microphoneFound ? QStringLiteral("未找到")
                                                  : QStringLiteral("已开");
    const QString systemSound = !systemAudio_ ? QStringLiteral("未开")
                                : !server     ? QStringLiteral("不可用")
                                              : QStringLiteral("已开");
    const QString second = scope_ == RecordingScope::camera ? QStringLiteral("摄像头口播")
                                                            : QStringLiteral("系统声音") + systemSound;
    return QStringLiteral("麦克风") + microphone + QStringLiteral(" · ") + second;
}

void RecordingStudio::refreshAudioAuthorization() {
    publish(microphoneAuthorization_, microphonePermission_->status());
    refreshSoundSources();
}

void RecordingStudio::refreshSoundSources() {
    if (findSound_) publish(soundSources_, std::optional<SoundSources>(findSound_()));
}

// The camera alone records no system sound.
bool RecordingStudio::recordsSystemSound() const { return systemAudio_ && scope_ != RecordingScope::camera; }

std::optional<QString> RecordingStudio::soundIssue() const {
    if (!soundSources_) return std::nullopt;
    if ((recordsSystemSound() || microphone_) && !soundSources_->server) return StudioMessages::noSoundServer();
    if (microphone_ && !soundSources_->microphone) return StudioMessages::noMicrophone();
    return std::nullopt;
}

void RecordingStudio::refreshDiskSpace() {
    RecordingHost* host = model();
    publish(availableDiskSpace_, host ? RecordingDiskSpace::available(host->library().root()) : std::nullopt);
}

std::optional<QString> RecordingStudio::diskStartIssue() const {
    return RecordingDiskSpace::startIssue(availableDiskSpace_);
}

bool RecordingStudio::canStart() const {
    if (loadingTargets_ || phase_.occupied() || processing_ || requestingMicrophone_) return false;
    if (diskStartIssue()) return false;
    if (cameraEnabled_ && !webcam_->ready()) return false;
    switch (scope_) {
    case RecordingScope::camera: return cameraEnabled_ && !cameraFraming_.validationIssue();
    case RecordingScope::window: return content_ && selectedWindow();
    case RecordingScope::area: return content_ && region_ && selectedDisplay();
    case RecordingScope::display: return content_ && selectedDisplay();
    }
    return false;
}

}  // namespace tavero
