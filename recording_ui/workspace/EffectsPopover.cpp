#include "recording_ui/workspace/EffectsPopover.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/PanelLook.h"
#include "recording/studio/RecordingStudio.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace tavero {

EffectsPopover::EffectsPopover(RecordingStudio& studio, const EffectControls& controls, QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(fixedWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(18);
    // Screen readers name the popover's window by its heading.
    setWindowTitle(QStringLiteral("调整讲解画面"));
    layout->addWidget(EditorLook::label(windowTitle(), 13, this, FontWeight::semibold));
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

namespace {

constexpr int anchorGap = 4;

}  // namespace

// Below the anchor when it fits, else above it, else as low as the screen
// lets it be seen whole from its top.
QPoint EffectsPopover::placeFor(QSize size, const QRect& anchor, const QRect& screen) {
    const int below = anchor.bottom() + 1 + anchorGap;
    const int above = anchor.top() - anchorGap - size.height();
    const int lowest = std::max(screen.top(), screen.bottom() + 1 - size.height());
    const int y = below <= lowest ? below : above >= screen.top() ? above : lowest;
    const int rightmost = std::max(screen.left(), screen.right() + 1 - size.width());
    const int x = std::clamp(anchor.left() + anchor.width() / 2 - size.width() / 2, screen.left(), rightmost);
    return {x, y};
}

void EffectsPopover::showBelow(const QWidget& anchor) {
    adjustSize();
    const QRect place(anchor.mapToGlobal(QPoint(0, 0)), anchor.size());
    move(placeFor(size(), place, anchor.screen()->availableGeometry()));
    // The keyboard goes into the popover: Qt gives a popup the keyboard only
    // when one of its widgets is already meant to have it.
    if (QWidget* first = firstControl()) first->setFocus(Qt::PopupFocusReason);
    show();
}

QWidget* EffectsPopover::firstControl() const {
    for (QWidget* widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain())
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(this)) return widget;
    return nullptr;
}

void EffectsPopover::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit closed();
}

}  // namespace tavero
