#pragma once

#include "camera/CameraFraming.h"
#include "editor_ui/ShownValueSlider.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavero {

class CameraAspectButton;
class CameraFramingPreviewView;
class RecordingStudio;

// The framing of a camera-only take: the output aspect, a custom size, the
// crop moved or drawn anew on the live camera picture beside a preview of
// what the take writes, the zoom and a reset. Every edit is one assignment
// of the studio's cameraFraming, which saves it; the view follows the
// studio's changes. Its only state of its own is whether a drag on the
// camera picture draws a new crop. Main thread.
class CameraFramingControls : public QWidget {
    Q_OBJECT
public:
    explicit CameraFramingControls(RecordingStudio& studio, QWidget* parent = nullptr);

    // A drag on the camera picture draws a new crop.
    bool drawing() const { return drawing_; }

    CameraAspectButton* aspectButton(CameraAspect aspect) const;
    QLineEdit* widthField() const { return widthField_; }
    QLineEdit* heightField() const { return heightField_; }
    QWidget* customRow() const { return customRow_; }
    QLabel* issueLabel() const { return issue_; }
    QLabel* sizeLabel() const { return size_; }
    QLabel* sourceCaption() const { return sourceCaption_; }
    CameraFramingPreviewView* sourcePreview() const { return sourcePreview_; }
    CameraFramingPreviewView* outputPreview() const { return outputPreview_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* resetButton() const { return reset_; }
    QSlider* zoomSlider() const { return zoom_; }
    QLabel* zoomText() const { return zoomText_; }

    // A field's text as a size: a whole decimal number with an optional
    // sign; anything else, nothing and numbers too large count as 0.
    static qint64 parsedSize(const QString& text);

private:
    QWidget* header();
    QWidget* aspectGrid();
    QWidget* sizeRow();
    QWidget* previews();
    QWidget* zoomRow();
    QLineEdit* dimensionField(bool width);

    void edit(const std::function<void(CameraFraming&)>& change);
    void choose(CameraAspect aspect);
    void toggleDrawing();
    void resetComposition();
    void setDrawing(bool drawing);
    void refresh();
    void showSize(QLineEdit* field, qint64 value);

    QPointer<RecordingStudio> studio_;
    bool drawing_ = false;
    QLabel* size_ = nullptr;
    QList<CameraAspectButton*> aspects_;
    // The custom size row and its sentence, shown for the custom aspect only.
    QWidget* sizeBlock_ = nullptr;
    QWidget* customRow_ = nullptr;
    QLineEdit* widthField_ = nullptr;
    QLineEdit* heightField_ = nullptr;
    QLabel* issue_ = nullptr;
    QLabel* sourceCaption_ = nullptr;
    CameraFramingPreviewView* sourcePreview_ = nullptr;
    CameraFramingPreviewView* outputPreview_ = nullptr;
    QPushButton* select_ = nullptr;
    ShownValueSlider* zoom_ = nullptr;
    QLabel* zoomText_ = nullptr;
    QPushButton* reset_ = nullptr;
};

}  // namespace tavero
