#include "editor_ui/ToolPanel.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/CoverControls.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/EndEditing.h"
#include "editor_ui/ExpansionButton.h"
#include "editor_ui/FocusReturn.h"
#include "editor_ui/ImageDimensions.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/PanelLook.h"
#include "editor_ui/StrokeControls.h"
#include "editor_ui/TextControls.h"
#include "editor_ui/ToolGrid.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int otherToolsTop = 8;
constexpr double hintPoints = 11;

QList<MarkTool> otherToolList() {
    QList<MarkTool> tools;
    for (MarkTool tool : allMarkTools)
        if (!MainViewState::isCommonTool(tool)) tools.append(tool);
    return tools;
}

QString hintFor(MarkTool tool) {
    switch (tool) {
    case MarkTool::pixelate: return QStringLiteral("拖动框选要遮盖的区域，画完仍可调节效果。");
    case MarkTool::move: return QStringLiteral("点击选择标注，拖动调整位置；双击文字可修改。");
    case MarkTool::crop: return QStringLiteral("拖动框选要保留的区域，松开完成裁剪。");
    case MarkTool::text: return QStringLiteral("点击已有文字可修改；点击空白处添加新文字。");
    default: return QStringLiteral("在图片上拖动即可标注。操作都可撤销。");
    }
}

// An expansion button that ends any text editing and flips its part of the state.
ExpansionButton* expansion(const QString& title, QWidget* parent, std::function<void()> flip) {
    auto* button = new ExpansionButton(title, parent);
    QObject::connect(button, &QAbstractButton::clicked, parent, [parent, flip = std::move(flip)] {
        endEditing(parent);
        flip();
    });
    return button;
}

}  // namespace

ToolPanel::ToolPanel(AppModel& model, ShotDocument& document, MainViewState& state, OpenBackground openBackground,
                     QWidget* parent)
    : QWidget(parent), model_(model), document_(document), state_(state) {
    commonTools_ = new ToolGrid(QList<MarkTool>(MainViewState::commonTools.begin(), MainViewState::commonTools.end()),
                                document, this);
    moreToolsButton_ = expansion(QStringLiteral("更多标注工具"), this, [&state] { state.setMoreTools(!state.moreTools()); });
    otherTools_ = new ToolGrid(otherToolList(), document, this);
    otherTools_->setContentsMargins(0, otherToolsTop, 0, 0);
    stroke_ = new StrokeControls(document, this);
    cover_ = new CoverControls(document, this);
    text_ = new TextControls(document, this);

    background_ = EditorLook::defaultButton(QStringLiteral("背景 · 渐变与纯色"), QStringLiteral("photo.on.rectangle.angled"), this);
    background_->setMinimumHeight(32);
    background_->setAutoDefault(false);
    connect(background_, &QPushButton::clicked, this, [openBackground = std::move(openBackground)] { openBackground(); });
    backgroundEnabling_ = new FocusReturn(*background_);
    dimensionsButton_ = expansion(QStringLiteral("尺寸与旋转"), this,
                                  [&state] { state.setImageDimensions(!state.imageDimensions()); });
    dimensions_ = new ImageDimensions(model, document, state, this);
    hint_ = EditorLook::label(QString(), hintPoints, this);
    EditorLook::setTextColour(hint_, EditorLook::secondaryText(this));
    hint_->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    // Room for the focus marks around the controls at its edges, within the view that scrolls it.
    column->setContentsMargins(FocusRing::outset, 0, FocusRing::outset, FocusRing::outset);
    column->setSpacing(PanelLook::rowSpacing);
    for (QWidget* row : std::initializer_list<QWidget*>{
             commonTools_, moreToolsButton_, otherTools_, EditorLook::divider(this), stroke_, cover_, text_,
             makeEditRow(), EditorLook::divider(this), background_, dimensionsButton_, dimensions_, hint_})
        column->addWidget(row);
    column->addStretch();

    connect(&document, &ShotDocument::changed, this, &ToolPanel::refresh);
    connect(&model, &AppModel::busyChanged, this, &ToolPanel::refresh);
    connect(&state, &MainViewState::changed, this, &ToolPanel::refresh);
    refresh();
}

// Undo, redo and delete leave a label being typed as it is.
QWidget* ToolPanel::makeEditRow() {
    auto* row = new QWidget(this);
    undo_ = EditorLook::plainButton(QString(), QStringLiteral("arrow.uturn.backward"), row);
    undo_->setAccessibleName(QStringLiteral("撤销"));
    undo_->setToolTip(QStringLiteral("撤销 Ctrl+Z"));
    connect(undo_, &QToolButton::clicked, this, [this] { document_.undo(); });
    redo_ = EditorLook::plainButton(QString(), QStringLiteral("arrow.uturn.forward"), row);
    redo_->setAccessibleName(QStringLiteral("重做"));
    redo_->setToolTip(QStringLiteral("重做 Shift+Ctrl+Z"));
    connect(redo_, &QToolButton::clicked, this, [this] { document_.redo(); });
    delete_ = EditorLook::plainButton(QString(), QStringLiteral("trash"), row);
    delete_->setAccessibleName(QStringLiteral("删除选中标注"));
    delete_->setToolTip(QStringLiteral("删除选中标注"));
    connect(delete_, &QToolButton::clicked, this, [this] { document_.deleteSelected(); });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(undo_);
    layout->addWidget(redo_);
    layout->addStretch();
    layout->addWidget(delete_);
    return row;
}

void ToolPanel::refresh() {
    const MarkTool tool = document_.tool();
    moreToolsButton_->setExpanded(state_.moreTools());
    otherTools_->setVisible(state_.moreTools());
    cover_->setVisible(tool == MarkTool::pixelate);
    stroke_->setVisible(tool != MarkTool::pixelate);
    undo_->setEnabled(document_.canUndo());
    redo_->setEnabled(document_.canRedo());
    delete_->setEnabled(document_.selected().has_value());
    backgroundEnabling_->setEnabled(!document_.image().isNull() && !model_.busy());
    dimensionsButton_->setExpanded(state_.imageDimensions());
    dimensions_->setVisible(state_.imageDimensions());
    hint_->setText(hintFor(tool));
}

}  // namespace tavero
