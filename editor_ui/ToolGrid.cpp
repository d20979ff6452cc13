#include "editor_ui/ToolGrid.h"

#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/EndEditing.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/SymbolIcons.h"

#include <QGridLayout>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr int sidePadding = 9;
constexpr int symbolFrame = 18;
constexpr int symbolSide = 15;
constexpr int labelSpacing = 6;
constexpr double titlePoints = 12;
constexpr double cornerRadius = 7;
constexpr double selectedOpacity = 0.12;
constexpr int rowSpacing = 6;
constexpr int columns = 2;

}  // namespace

ToolGridButton::ToolGridButton(MarkTool tool, QWidget* parent) : ChoiceButton(parent), tool_(tool) {
    FocusRing::drawnByItself(*this);
    setText(title(tool));
    setAccessibleName(title(tool));
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(buttonHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFont(EditorLook::font(this, titlePoints));
}

// A click checks the button at once; the face waits for the document.
void ToolGridButton::setSelected(bool selected) {
    setChecked(selected);
    if (selected == selected_) return;
    selected_ = selected;
    setFont(EditorLook::font(this, titlePoints, selected ? FontWeight::semibold : FontWeight::regular));
    update();
}

QSize ToolGridButton::sizeHint() const {
    return {2 * sidePadding + symbolFrame + labelSpacing + fontMetrics().horizontalAdvance(text()), buttonHeight};
}

void ToolGridButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (selected_) {
        QPainterPath background;
        background.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(background, EditorLook::faded(EditorLook::accent(), selectedOpacity));
    }
    const QColor foreground = selected_ ? EditorLook::accent() : palette().color(QPalette::WindowText);
    const QRect frame(sidePadding, 0, symbolFrame, height());
    QRect icon(0, 0, symbolSide, symbolSide);
    icon.moveCenter(frame.center());
    SymbolIcons::icon(symbol(tool_), foreground).paint(&painter, icon);
    painter.setPen(foreground);
    const QRect label(frame.right() + 1 + labelSpacing, 0, width() - frame.right() - labelSpacing - sidePadding, height());
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideRight, label.width()));
    FocusRing::paint(painter, *this, QRectF(rect()), cornerRadius);
}

ToolGrid::ToolGrid(const QList<MarkTool>& tools, ShotDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(rowSpacing);
    for (MarkTool tool : tools) {
        auto* button = new ToolGridButton(tool, this);
        connect(button, &QAbstractButton::clicked, this, [this, tool] {
            endEditing(this);
            document_.choose(tool);
        });
        grid->addWidget(button, int(buttons_.size()) / columns, int(buttons_.size()) % columns);
        buttons_.append(button);
    }
    for (int column = 0; column < columns; ++column) grid->setColumnStretch(column, 1);
    connect(&document, &ShotDocument::changed, this, &ToolGrid::showDocument);
    showDocument();
}

ToolGridButton* ToolGrid::button(MarkTool tool) const {
    for (ToolGridButton* button : buttons_)
        if (button->tool() == tool) return button;
    return nullptr;
}

void ToolGrid::showDocument() {
    for (ToolGridButton* button : buttons_) button->setSelected(button->tool() == document_.tool());
}

}  // namespace tavero
