#include "editor_ui/GuidanceRow.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/ScreenshotPracticeBar.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace tavero {

namespace {

constexpr int hintPadding = 12;
constexpr double hintBackgroundOpacity = 0.07;
constexpr double captionPoints = 10;

}  // namespace

GuidanceRow::GuidanceRow(AppModel& model, MainViewState& state, PracticeAction practiceAction, QWidget* parent)
    : QWidget(parent), model_(model), state_(state) {
    practiceBar_ = new ScreenshotPracticeBar(
        ScreenshotPracticeStep::annotate, [this, practiceAction] { practiceAction(practiceBar_->step()); },
        [this] { endPractice(); }, this);
    hint_ = makeHint();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(practiceBar_);
    column->addWidget(hint_);

    connect(&model, &AppModel::flowChanged, this, &GuidanceRow::refresh);
    connect(&state, &MainViewState::changed, this, &GuidanceRow::refresh);
    refresh();
}

QWidget* GuidanceRow::makeHint() {
    auto* hint = new QWidget(this);
    EditorLook::fill(hint, EditorLook::faded(EditorLook::accent(), hintBackgroundOpacity));
    hintDismiss_ = EditorLook::borderlessButton(QStringLiteral("知道了"), QString(), hint);
    hintDismiss_->setFont(EditorLook::font(hint, captionPoints));
    connect(hintDismiss_, &QToolButton::clicked, &state_, [this] { state_.setEditorHintDismissed(true); });
    auto* row = new QHBoxLayout(hint);
    row->setContentsMargins(hintPadding, hintPadding, hintPadding, hintPadding);
    row->addWidget(EditorLook::label(QStringLiteral("选左侧工具，在图上标出重点；完成后点右上角「复制」或「保存」。"), 12, hint));
    row->addStretch();
    row->addWidget(hintDismiss_);
    return hint;
}

// The picture and the document stay as they are; only the guide ends.
void GuidanceRow::endPractice() {
    WorkspaceFlow flow = model_.flow();
    flow.practice.reset();
    model_.setFlow(flow);
    state_.setEditorHintDismissed(true);
}

void GuidanceRow::refresh() {
    const std::optional<ScreenshotPracticeStep> practice = model_.flow().practice;
    if (practice) practiceBar_->setStep(*practice);
    practiceBar_->setVisible(practice.has_value());
    hint_->setVisible(!practice && !state_.editorHintDismissed());
    setVisible(practice || !state_.editorHintDismissed());
}

}  // namespace tavero
