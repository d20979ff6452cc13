#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

namespace tavero {

class AppModel;
class CoverControls;
class ExpansionButton;
class FocusReturn;
class ImageDimensions;
class MainViewState;
class ShotDocument;
class StrokeControls;
class TextControls;
class ToolGrid;

// The sidebar's "标注" tab, top to bottom: the six common tools, "更多标注工具"
// with the other six, the colour and width of new marks (the cover controls
// instead while the pixelate tool is active), the text section, undo, redo
// and delete, "背景 · 渐变与纯色", "尺寸与旋转" with its group, and a hint for
// the current tool. It holds no state of its own: it shows the document, the
// model and the window's state, and each control calls one of their operations.
//
// Observes the document, the model and the window's state; main thread.
class ToolPanel : public QWidget {
    Q_OBJECT
public:
    using OpenBackground = std::function<void()>;

    ToolPanel(AppModel& model, ShotDocument& document, MainViewState& state, OpenBackground openBackground,
              QWidget* parent = nullptr);

    ToolGrid* commonTools() const { return commonTools_; }
    ExpansionButton* moreToolsButton() const { return moreToolsButton_; }
    ToolGrid* otherTools() const { return otherTools_; }
    StrokeControls* strokeControls() const { return stroke_; }
    CoverControls* coverControls() const { return cover_; }
    TextControls* textControls() const { return text_; }
    QToolButton* undoButton() const { return undo_; }
    QToolButton* redoButton() const { return redo_; }
    QToolButton* deleteButton() const { return delete_; }
    QPushButton* backgroundButton() const { return background_; }
    ExpansionButton* dimensionsButton() const { return dimensionsButton_; }
    ImageDimensions* dimensions() const { return dimensions_; }
    QLabel* hint() const { return hint_; }

private:
    QWidget* makeEditRow();
    void refresh();

    AppModel& model_;
    ShotDocument& document_;
    MainViewState& state_;
    ToolGrid* commonTools_ = nullptr;
    ExpansionButton* moreToolsButton_ = nullptr;
    ToolGrid* otherTools_ = nullptr;
    StrokeControls* stroke_ = nullptr;
    CoverControls* cover_ = nullptr;
    TextControls* text_ = nullptr;
    QToolButton* undo_ = nullptr;
    QToolButton* redo_ = nullptr;
    QToolButton* delete_ = nullptr;
    QPushButton* background_ = nullptr;
    FocusReturn* backgroundEnabling_ = nullptr;
    ExpansionButton* dimensionsButton_ = nullptr;
    ImageDimensions* dimensions_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace tavero
