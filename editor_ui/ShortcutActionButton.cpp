#include "editor_ui/ShortcutActionButton.h"

#include <QChildEvent>
#include <QGraphicsEffect>
#include <QLayout>
#include <QPainter>

namespace tavero {

namespace {

// Draws the button and its children faded and scaled about their centre.
class PressEffect final : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;

    double opacity = 1;
    double scale = 1;

protected:
    void draw(QPainter* painter) override {
        if (opacity == 1 && scale == 1) return drawSource(painter);
        QPoint offset;
        const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset);
        painter->save();
        painter->setOpacity(painter->opacity() * opacity);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF centre = boundingRect().center();
        painter->translate(centre);
        painter->scale(scale, scale);
        painter->translate(-centre);
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }
};

}  // namespace

ShortcutActionButton::ShortcutActionButton(QWidget* parent) : QAbstractButton(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setGraphicsEffect(new PressEffect(this));
    connect(this, &QAbstractButton::pressed, this, &ShortcutActionButton::showState);
    connect(this, &QAbstractButton::released, this, &ShortcutActionButton::showState);
}

double ShortcutActionButton::shownOpacity() const { return static_cast<PressEffect*>(graphicsEffect())->opacity; }

double ShortcutActionButton::shownScale() const { return static_cast<PressEffect*>(graphicsEffect())->scale; }

QSize ShortcutActionButton::sizeHint() const { return layout() ? layout()->sizeHint() : QSize(); }

QSize ShortcutActionButton::minimumSizeHint() const { return layout() ? layout()->minimumSize() : QSize(); }

void ShortcutActionButton::paintEvent(QPaintEvent*) {}

void ShortcutActionButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) showState();
    QAbstractButton::changeEvent(event);
}

// Children are the face only: clicks fall through them to the button.
void ShortcutActionButton::childEvent(QChildEvent* event) {
    if (event->added() && event->child()->isWidgetType())
        static_cast<QWidget*>(event->child())->setAttribute(Qt::WA_TransparentForMouseEvents);
    QAbstractButton::childEvent(event);
}

void ShortcutActionButton::showState() {
    auto* effect = static_cast<PressEffect*>(graphicsEffect());
    const bool pressed = isEnabled() && isDown();
    effect->opacity = !isEnabled() ? disabledOpacity : pressed ? pressedOpacity : 1.0;
    effect->scale = pressed ? pressedScale : 1.0;
    effect->update();
}

}  // namespace tavero
