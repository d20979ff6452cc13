#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace tavero {

class ShotDocument;
class SteppedSlider;

// The tool panel's text section, shown while the text or the counter tool is
// active or a text label is selected. Its header ("添加文字", or
// "编辑选中文字" over a selected label, with "新增文字" and a hint) shows for
// text only; the font-size row, 16 to 100 in steps of 2, for both. One drag
// of the font-size slider over a selected label is one undo step.
//
// Observes the document; main thread.
class TextControls : public QWidget {
    Q_OBJECT
public:
    explicit TextControls(ShotDocument& document, QWidget* parent = nullptr);

    QWidget* header() const { return header_; }
    QLabel* title() const { return title_; }
    QToolButton* newTextButton() const { return newText_; }
    SteppedSlider* fontSizeSlider() const { return fontSize_; }
    QLabel* fontSizeLabel() const { return fontSizeValue_; }

private:
    QWidget* makeHeader();
    QWidget* makeFontSizeRow();
    void showDocument();

    ShotDocument& document_;
    QWidget* header_ = nullptr;
    QLabel* title_ = nullptr;
    QToolButton* newText_ = nullptr;
    SteppedSlider* fontSize_ = nullptr;
    QLabel* fontSizeValue_ = nullptr;
};

}  // namespace tavero
