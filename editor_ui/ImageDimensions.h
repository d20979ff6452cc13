#pragma once

#include <QWidget>

class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace tavero {

class AppModel;
class MainViewState;
class ShotDocument;

// The tool panel's "尺寸与旋转" group: a menu that turns the picture a
// quarter clockwise or mirrors it, a menu that joins another picture below
// or beside it, and a width field with "缩放", which resizes the picture to
// that width with its proportions kept. The typed width is the window's and
// survives new pictures; a width that is no whole number from 16 to 16000
// is ignored.
//
// Observes the document and the window's state; main thread.
class ImageDimensions : public QWidget {
    Q_OBJECT
public:
    ImageDimensions(AppModel& model, ShotDocument& document, MainViewState& state, QWidget* parent = nullptr);

    QToolButton* rotationButton() const { return rotation_; }
    QMenu* rotationMenu() const { return rotationMenu_; }
    QToolButton* joinButton() const { return join_; }
    QMenu* joinMenu() const { return joinMenu_; }
    QLineEdit* widthField() const { return width_; }
    QPushButton* resizeButton() const { return resize_; }

private:
    QToolButton* makeMenuButton(const QString& title, const QString& symbol, QMenu* menu);
    QWidget* makeResizeRow();
    void resizePicture();
    void refresh();

    AppModel& model_;
    ShotDocument& document_;
    MainViewState& state_;
    QToolButton* rotation_ = nullptr;
    QMenu* rotationMenu_ = nullptr;
    QToolButton* join_ = nullptr;
    QMenu* joinMenu_ = nullptr;
    QLineEdit* width_ = nullptr;
    QPushButton* resize_ = nullptr;
};

}  // namespace tavero
