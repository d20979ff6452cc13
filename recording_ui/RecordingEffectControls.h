#pragma once

#include "camera/RecordingEffects.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;

namespace tavero {

class RecordingStudio;
class SteppedSlider;

// The small form that sets the smart-camera effects of a recording: follow
// the pointer and zoom (how far), and a blurred background around the
// picture (how wide a margin, how strong a blur). It edits a
// RecordingEffects held elsewhere, through `read` and `write`: every change
// of a control writes the whole value at once, live while a slider moves.
// Switching a toggle off hides its rows and keeps their values. Call
// refresh() when the value changes elsewhere. Main thread.
class RecordingEffectControls : public QWidget {
    Q_OBJECT
public:
    using Read = std::function<RecordingEffects()>;
    using Write = std::function<void(const RecordingEffects&)>;

    RecordingEffectControls(Read read, Write write, QWidget* parent = nullptr);
    // Bound to the studio's effects, following its changes.
    static RecordingEffectControls* forStudio(RecordingStudio& studio, QWidget* parent = nullptr);

    void refresh();

    QCheckBox* zoomToggle() const { return autoZoom_; }
    QCheckBox* blurToggle() const { return backgroundBlur_; }
    SteppedSlider* zoomSlider() const { return zoom_; }
    SteppedSlider* paddingSlider() const { return padding_; }
    SteppedSlider* blurSlider() const { return blur_; }
    QString zoomText() const;
    QString paddingText() const;
    QString blurText() const;

private:
    QWidget* row(const QString& caption, SteppedSlider* slider, QLabel* value, int valueWidth);
    void edit(const std::function<void(RecordingEffects&)>& change);

    Read read_;
    Write write_;
    QCheckBox* autoZoom_ = nullptr;
    QCheckBox* backgroundBlur_ = nullptr;
    QWidget* zoomRow_ = nullptr;
    QWidget* paddingRow_ = nullptr;
    QWidget* blurRow_ = nullptr;
    SteppedSlider* zoom_ = nullptr;
    SteppedSlider* padding_ = nullptr;
    SteppedSlider* blur_ = nullptr;
    QLabel* zoomValue_ = nullptr;
    QLabel* paddingValue_ = nullptr;
    QLabel* blurValue_ = nullptr;
};

}  // namespace tavero
