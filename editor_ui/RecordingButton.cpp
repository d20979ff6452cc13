#include "editor_ui/RecordingButton.h"

#include "app/model/AppModel.h"
#include "editor_ui/style/SymbolIcons.h"
#include "recording/studio/RecordingStudio.h"

namespace tavero {

RecordingButton::RecordingButton(RecordingStudio& studio, AppModel& model, QWidget* parent)
    : QPushButton(parent), studio_(&studio), model_(&model), primary_(palette().color(QPalette::ButtonText)) {
    setToolTip(QStringLiteral("Ctrl+Shift+8 · 打开录屏设置 / 停止"));
    connect(this, &QPushButton::clicked, this, &RecordingButton::press);
    connect(&studio, &RecordingStudio::phaseChanged, this, [this] {
        if (studio_) showPhase(studio_->phase());
    });
    showPhase(studio.phase());
}

void RecordingButton::showPhase(RecordingPhase phase) {
    const bool occupied = phase.occupied();
    const QColor colour = occupied ? QColor(Qt::red) : primary_;
    setText(occupied ? QStringLiteral("停止录屏") : QStringLiteral("录屏"));
    setIcon(SymbolIcons::icon(occupied ? QStringLiteral("stop.circle.fill") : QStringLiteral("record.circle"), colour));
    QPalette tinted = palette();
    tinted.setColor(QPalette::ButtonText, colour);
    setPalette(tinted);
    const auto kind = phase.kind();
    setEnabled(kind != RecordingPhase::Kind::stopping && kind != RecordingPhase::Kind::restarting);
}

void RecordingButton::press() {
    if (model_) model_->toggleRecording(false);
}

}  // namespace tavero
