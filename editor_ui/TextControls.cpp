#include "editor_ui/TextControls.h"

#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/EndEditing.h"
#include "editor_ui/PanelLook.h"
#include "editor_ui/SteppedSlider.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int headerSpacing = 7;
constexpr double hintPoints = 11;

}  // namespace

TextControls::TextControls(ShotDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(PanelLook::rowSpacing);
    column->addWidget(makeHeader());
    column->addWidget(makeFontSizeRow());
    connect(&document, &ShotDocument::changed, this, &TextControls::showDocument);
    showDocument();
}

QWidget* TextControls::makeHeader() {
    header_ = new QWidget(this);
    title_ = PanelLook::caption(QString(), header_);
    EditorLook::setTextColour(title_, EditorLook::secondaryText(this));
    newText_ = EditorLook::borderlessButton(QStringLiteral("新增文字"), QString(), header_);
    newText_->setFont(EditorLook::font(this, PanelLook::captionPoints));
    connect(newText_, &QToolButton::clicked, this, [this] {
        endEditing(this);
        document_.newText();
    });
    QLabel* hint = EditorLook::label(QStringLiteral("在图片上点击，直接输入文字。双击已有文字可修改。"), hintPoints, header_);
    EditorLook::setTextColour(hint, EditorLook::secondaryText(this));
    hint->setWordWrap(true);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title_);
    titleRow->addStretch();
    titleRow->addWidget(newText_);
    auto* column = new QVBoxLayout(header_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(headerSpacing);
    column->addLayout(titleRow);
    column->addWidget(hint);
    return header_;
}

// Each drag ends the current group of font-size changes when it starts and
// when it ends, so the drag is one undo step of its own.
QWidget* TextControls::makeFontSizeRow() {
    fontSize_ = new SteppedSlider(16, 100, 2);
    connect(fontSize_, &SteppedSlider::valueEdited, this, [this](double size) { document_.changeFontSize(size); });
    connect(fontSize_, &SteppedSlider::gestureStarted, this, [this] { document_.finishTextEditing(); });
    connect(fontSize_, &SteppedSlider::gestureEnded, this, [this] { document_.finishTextEditing(); });
    fontSizeValue_ = PanelLook::valueLabel(this, 0);
    return PanelLook::sliderRow(PanelLook::caption(QStringLiteral("字号"), this), fontSize_, fontSizeValue_, this);
}

void TextControls::showDocument() {
    const MarkTool tool = document_.tool();
    const bool labelSelected = document_.selectedText().has_value();
    setVisible(tool == MarkTool::text || tool == MarkTool::counter || labelSelected);
    header_->setVisible(tool == MarkTool::text || labelSelected);
    title_->setText(labelSelected ? QStringLiteral("编辑选中文字") : QStringLiteral("添加文字"));
    fontSize_->showValue(document_.fontSize());
    fontSizeValue_->setText(PanelLook::wholeNumber(document_.fontSize()));
}

}  // namespace tavero
