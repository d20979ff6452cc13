#include "editor_ui/style/ProgramStyle.h"

#include "editor_ui/style/FocusRing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QFocusFrame>
#include <QMenu>
#include <QStyleOption>

#include <functional>

namespace tavero {

namespace {

using Draw = std::function<void(const QStyleOption*)>;

template <class Option>
bool drewWithoutFocus(const QStyleOption* option, const Draw& draw) {
    const auto* typed = qstyleoption_cast<const Option*>(option);
    if (!typed) return false;
    Option copy(*typed);
    copy.state &= ~QStyle::State_HasFocus;
    draw(&copy);
    return true;
}

// Draws `option` as it would look without the focus, for the option types
// Fusion tints or frames by the focus.
void drawWithoutFocus(const QStyleOption* option, const Draw& draw) {
    if (drewWithoutFocus<QStyleOptionButton>(option, draw) || drewWithoutFocus<QStyleOptionFrame>(option, draw) ||
        drewWithoutFocus<QStyleOptionSlider>(option, draw) || drewWithoutFocus<QStyleOptionComboBox>(option, draw) ||
        drewWithoutFocus<QStyleOptionSpinBox>(option, draw) || drewWithoutFocus<QStyleOptionToolButton>(option, draw) ||
        drewWithoutFocus<QStyleOptionTab>(option, draw) || drewWithoutFocus<QStyleOptionViewItem>(option, draw))
        return;
    if (option && option->type == QStyleOption::SO_Default && drewWithoutFocus<QStyleOption>(option, draw)) return;
    draw(option);
}

// A menu or the list a combo box opens, which shows its current line instead.
bool marksItsLine(const QWidget& widget) {
    return qobject_cast<const QMenu*>(&widget) ||
           (widget.window()->windowType() == Qt::Popup && qobject_cast<const QAbstractItemView*>(&widget));
}

// The control the focus mark goes around when `focus` has the keyboard: the
// widget it stands in for (a spin box for its text field), unless that draws
// its own mark.
QWidget* markedControl(QWidget* focus) {
    if (!focus || !FocusRing::shown(*focus) || marksItsLine(*focus)) return nullptr;
    QWidget* control = focus;
    while (control->parentWidget() && control->parentWidget()->focusProxy() == control) control = control->parentWidget();
    if (control->isWindow() || FocusRing::drawsItself(*control)) return nullptr;
    return control;
}

}  // namespace

ProgramStyle::ProgramStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

void ProgramStyle::install() {
    auto* style = new ProgramStyle;
    QApplication::setStyle(style);
    QApplication::setPalette(style->standardPalette());
}

bool ProgramStyle::event(QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) followFocus();
    return QProxyStyle::event(event);
}

void ProgramStyle::followFocus() {
    QWidget* control = markedControl(QApplication::focusWidget());
    if (!control) {
        if (frame_) frame_->setWidget(nullptr);
        return;
    }
    if (!frame_) frame_ = new QFocusFrame(control);
    frame_->setWidget(control);
    // Qt leaves the frame of a control out of sight hidden, though the
    // control's scroll area brings it into sight right after.
    frame_->raise();
    frame_->show();
}

bool ProgramStyle::marks(const QWidget* widget) const {
    if (!widget || !frame_ || !frame_->widget()) return false;
    return frame_->widget() == widget || frame_->widget()->focusProxy() == widget;
}

void ProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    if (!marks(widget)) return QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_FrameFocusRect) return;
    drawWithoutFocus(option, [&](const QStyleOption* plain) {
        QProxyStyle::drawPrimitive(element, plain, painter, widget);
    });
}

void ProgramStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    if (element == CE_FocusFrame) {
        const auto* frame = qobject_cast<const QFocusFrame*>(widget);
        if (frame && frame->widget())
            FocusRing::paint(*painter, *frame->widget(), QRectF(option->rect),
                             FocusRing::controlRadius(*frame->widget()) + FocusRing::outset);
        return;
    }
    if (!marks(widget)) return QProxyStyle::drawControl(element, option, painter, widget);
    drawWithoutFocus(option, [&](const QStyleOption* plain) {
        QProxyStyle::drawControl(element, plain, painter, widget);
    });
}

void ProgramStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                      const QWidget* widget) const {
    if (!marks(widget)) return QProxyStyle::drawComplexControl(control, option, painter, widget);
    drawWithoutFocus(option, [&](const QStyleOption* plain) {
        QProxyStyle::drawComplexControl(control, static_cast<const QStyleOptionComplex*>(plain), painter, widget);
    });
}

int ProgramStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin) return FocusRing::outset;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returned) const {
    if (hint == SH_FocusFrame_AboveWidget) return true;
    // The frame is see-through and lets clicks through; a ring around a round
    // control crosses the square it stands on.
    if (hint == SH_FocusFrame_Mask) return false;
    return QProxyStyle::styleHint(hint, option, widget, returned);
}

}  // namespace tavero
