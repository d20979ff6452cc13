#pragma once

#include <QWidget>

class QMenu;
class QToolButton;

namespace tavero {

class AppModel;
class ElidedLabel;
class ShotDocument;

// The row above the canvas: the document's name, then "识别文字", "贴图",
// "复制" and the "保存" menu (PNG, JPEG, HEIC, editable project). No control
// is ever disabled: while the model is busy its actions decide what to do.
//
// Observes the document's name; main thread.
class ActionBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 48;

    ActionBar(AppModel& model, ShotDocument& document, QWidget* parent = nullptr);

    ElidedLabel* nameLabel() const { return name_; }
    QToolButton* recognizeButton() const { return recognize_; }
    QToolButton* pinButton() const { return pin_; }
    QToolButton* copyButton() const { return copy_; }
    QMenu* saveMenu() const { return saveMenu_; }

private:
    QToolButton* makeSaveButton();

    AppModel& model_;
    ElidedLabel* name_ = nullptr;
    QToolButton* recognize_ = nullptr;
    QToolButton* pin_ = nullptr;
    QToolButton* copy_ = nullptr;
    QMenu* saveMenu_ = nullptr;
};

}  // namespace tavero
