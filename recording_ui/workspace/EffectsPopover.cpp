#include "recording_ui/workspace/EffectsPopover.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/PanelLook.h"
#include "recording/studio/RecordingStudio.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace tavero {

EffectsPopover::EffectsPopover(RecordingStudio& studio, const EffectControls& controls, QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(fixedWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(18);
    layout->addWidget(EditorLook::label(QStringLiteral("调整讲解画面"), 13, this, FontWeight::semibold));
    if (controls) layout->addWidget(controls(studio, this));
    QLabel* note = PanelLook::caption(QStringLiteral("从原片重新生成，已有视频会保留。"), this);
    note->setWordWrap(true);
    EditorLook::setTextColour(note, EditorLook::secondaryText(this));
    layout->addWidget(note);
    render_ = EditorLook::prominentButton(QStringLiteral("重新生成成片"), QString(), this);
    layout->addWidget(render_, 0, Qt::AlignLeft);

    QPointer<RecordingStudio> target(&studio);
    connect(render_, &QPushButton::clicked, this, [this, target] {
        close();
        if (target) target->render();
    });
}

void EffectsPopover::showBelow(const QWidget& anchor) {
    adjustSize();
    const QPoint bottom = anchor.mapToGlobal(QPoint(anchor.width() / 2, anchor.height()));
    move(bottom.x() - fixedWidth / 2, bottom.y() + 4);
    show();
}

void EffectsPopover::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit closed();
}

}  // namespace tavero
