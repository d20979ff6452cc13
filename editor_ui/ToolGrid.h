#pragma once

#include "document/MarkTool.h"
#include "editor_ui/ChoiceButton.h"

#include <QList>
#include <QWidget>

namespace tavero {

class ShotDocument;

// One button of the tool grid: the tool's symbol and title, tinted and on a
// faint accent background while the tool is the document's, which screen
// readers hear as its checked state. Main thread.
class ToolGridButton : public ChoiceButton {
    Q_OBJECT
public:
    static constexpr int buttonHeight = 34;

    ToolGridButton(MarkTool tool, QWidget* parent = nullptr);

    MarkTool tool() const { return tool_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MarkTool tool_;
    bool selected_ = false;
};

// Two columns of tool buttons in the order given. A button ends any text
// editing, then makes its tool the document's.
//
// Observes the document; main thread.
class ToolGrid : public QWidget {
    Q_OBJECT
public:
    ToolGrid(const QList<MarkTool>& tools, ShotDocument& document, QWidget* parent = nullptr);

    const QList<ToolGridButton*>& buttons() const { return buttons_; }
    // The button of `tool`; null when the grid does not hold it.
    ToolGridButton* button(MarkTool tool) const;

private:
    void showDocument();

    ShotDocument& document_;
    QList<ToolGridButton*> buttons_;
};

}  // namespace tavero
