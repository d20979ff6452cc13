#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace tavero {

class Announcer;
class AppModel;
class BusySpinner;
class ElidedLabel;
class ShotDocument;

// The one-line bar at the bottom of the editor window: a spinner while the
// model is busy, otherwise a dot (red while recording, the accent colour
// otherwise); the model's status line; the picture's pixel size while a
// picture is edited; and the button that opens the library folder. Each new
// status line is told to screen readers (Announcer).
//
// Observes the model and the document; main thread.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 34;

    StatusBar(AppModel& model, ShotDocument& document, QWidget* parent = nullptr);

    BusySpinner* spinner() const { return spinner_; }
    QWidget* dot() const { return dot_; }
    // The dot's colour as last set.
    QColor dotColour() const;
    ElidedLabel* statusLabel() const { return status_; }
    QLabel* pixelSizeLabel() const { return pixelSize_; }
    QToolButton* folderButton() const { return folder_; }

private:
    void refresh();

    AppModel& model_;
    ShotDocument& document_;
    BusySpinner* spinner_ = nullptr;
    QWidget* dot_ = nullptr;
    ElidedLabel* status_ = nullptr;
    Announcer* announcer_ = nullptr;
    QLabel* pixelSize_ = nullptr;
    QToolButton* folder_ = nullptr;
};

}  // namespace tavero
