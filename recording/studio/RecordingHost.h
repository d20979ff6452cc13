#pragma once

#include "library/CaptureRecord.h"
#include "platform/Result.h"
#include "platform/ShotError.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

namespace tavero {

class CaptureCoordinator;
class LocalLibrary;

// What the recording studio may do to the application model that owns it:
// reach the model's capture coordinator and library, write the recording
// fields, the status line, the alert and the shown video, report failures and
// library writes, bring the editor window forward or hide it and refresh the
// status item. The
// model implements it; the studio sits below the model and reaches it only
// through this interface. Main thread.
class RecordingHost {
public:
    virtual ~RecordingHost() = default;

    // The object whose destruction ends the host; the studio holds it weakly.
    virtual QObject* hostObject() = 0;

    virtual CaptureCoordinator& capture() = 0;
    virtual LocalLibrary& library() = 0;

    virtual void setRecording(bool recording) = 0;
    virtual void setRecordingStarting(bool starting) = 0;
    virtual void setRecordingDate(std::optional<QDateTime> date) = 0;
    virtual void setStatus(const QString& status) = 0;
    // The alert's text; none closes it.
    virtual void setError(std::optional<QString> error) = 0;
    // The video the workspace shows: a local file path, or none.
    virtual const std::optional<QString>& videoURL() const = 0;
    // A local file path, or none to leave the video workspace.
    virtual void setVideoURL(std::optional<QString> video) = 0;
    virtual void fail(const ShotError& error) = 0;
    virtual void saved(const Result<CaptureRecord>& result) = 0;
    // Brings the editor window to the front, when the application installed that.
    virtual void showWindow() = 0;
    // Hides the editor window while a take runs, when the application installed that.
    virtual void hideEditor() = 0;
    // Rebuilds the status item and its menu, when the application installed that.
    virtual void updateMenu() = 0;
};

}  // namespace tavero
