#include "editor_ui/EditingColumn.h"

#include "document/ui/CanvasView.h"
#include "editor_ui/ActionBar.h"
#include "editor_ui/ScrollingCaptureRow.h"
#include "editor_ui/ZoomBar.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>

namespace tavero {

EditingColumn::EditingColumn(AppModel& model, ShotDocument& document, MainViewState& state,
                             GuidanceRow::PracticeAction practiceAction, QWidget* parent)
    : QWidget(parent) {
    actionBar_ = new ActionBar(model, document, this);
    guidance_ = new GuidanceRow(model, state, std::move(practiceAction), this);
    scrolling_ = new ScrollingCaptureRow(model, this);
    canvas_ = new CanvasView(document, this);
    canvas_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    FocusRing::drawAbove(*canvas_, 0);
    zoomBar_ = new ZoomBar(document, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(actionBar_);
    column->addWidget(guidance_);
    column->addWidget(scrolling_);
    column->addWidget(canvas_, 1);
    column->addWidget(zoomBar_);
}

}  // namespace tavero
