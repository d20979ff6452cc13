#pragma once

#include "camera/WebcamFeed.h"
#include "editor_ui/RoundedSurface.h"
#include "editor_ui/ShownValueSlider.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tavero {

class BusySpinner;
class CameraFramingControls;
class RecordingStudio;
class SegmentedPicker;
class WebcamPreviewView;

// The camera section of the recording set-up sheet: the camera switched on
// or off for screen takes (a heading instead for camera-only ones), a live
// thumbnail of the portrait in its shape, the portrait's shape, size and
// mirroring, the camera's status line with a retry when it does not run,
// and the framing controls of a camera-only take. Every control reads and
// writes the studio; the section keeps no state of its own and follows the
// studio's and the feed's changes. Main thread.
class CameraSetupControls : public RoundedSurface {
    Q_OBJECT
public:
    CameraSetupControls(RecordingStudio& studio, WebcamFeed& feed, QWidget* parent = nullptr);

    QLabel* heading() const { return heading_; }
    QCheckBox* cameraToggle() const { return toggle_; }
    BusySpinner* spinner() const { return spinner_; }
    QWidget* body() const { return body_; }
    WebcamPreviewView* thumbnail() const { return thumbnail_; }
    QLabel* statusLine() const { return status_; }
    SegmentedPicker* shapePicker() const { return shape_; }
    QSlider* sizeSlider() const { return size_; }
    QLabel* sizeText() const { return sizeText_; }
    QCheckBox* mirrorToggle() const { return mirror_; }
    QPushButton* retryButton() const { return retry_; }
    QPushButton* settingsButton() const { return settings_; }
    CameraFramingControls* framingControls() const { return framing_; }
    QLabel* hint() const { return hint_; }

private:
    QWidget* headingRow();
    QWidget* cameraRow();
    QWidget* portraitControls(QWidget* parent);
    QWidget* retryRow(QWidget* parent);
    void refresh();

    QPointer<RecordingStudio> studio_;
    QPointer<WebcamFeed> feed_;
    QWidget* headingLabel_ = nullptr;
    QLabel* heading_ = nullptr;
    QCheckBox* toggle_ = nullptr;
    BusySpinner* spinner_ = nullptr;
    QWidget* body_ = nullptr;
    WebcamPreviewView* thumbnail_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* portraitRows_ = nullptr;
    SegmentedPicker* shape_ = nullptr;
    ShownValueSlider* size_ = nullptr;
    QLabel* sizeText_ = nullptr;
    QCheckBox* mirror_ = nullptr;
    QWidget* retryRow_ = nullptr;
    QPushButton* retry_ = nullptr;
    QPushButton* settings_ = nullptr;
    CameraFramingControls* framing_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace tavero
