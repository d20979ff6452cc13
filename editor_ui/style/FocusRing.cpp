#include "editor_ui/style/FocusRing.h"

#include "editor_ui/style/TaveroStyle.h"

#include <QEvent>
#include <QFocusFrame>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace tavero::FocusRing {

namespace {

const char* const drawnByItselfProperty = "tavero.focusRingDrawnByItself";
const char* const controlRadiusProperty = "tavero.focusRingControlRadius";
// Fusion's corners.
constexpr double fusionRadius = 3;

void strokeInside(QPainter& painter, const QRectF& bounds, double cornerRadius, double inset, const QPen& pen) {
    QPainterPath line;
    line.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), std::max(cornerRadius - inset, 0.0),
                        std::max(cornerRadius - inset, 0.0));
    painter.strokePath(line, pen);
}

// Lies over its widget, or around it by `outset` in the widget's parent,
// and shows while the widget shows its mark. A QFocusFrame, which screen
// readers pass over, so that the mark adds no empty object to what they
// read; it lets every click through.
class FocusRingFrame final : public QFocusFrame {
public:
    FocusRingFrame(QWidget& owner, double cornerRadius, int outset)
        : QFocusFrame(outset > 0 ? owner.parentWidget() : &owner),
          owner_(&owner),
          cornerRadius_(cornerRadius),
          outset_(outset) {
        hide();
        drawnByItself(owner);
        owner.installEventFilter(this);
        if (outset > 0) connect(&owner, &QObject::destroyed, this, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != owner_) return QFocusFrame::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize: follow(); break;
        default: break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        if (!owner_) return;
        QPainter painter(this);
        paint(painter, *owner_, QRectF(rect()), cornerRadius_ + outset_);
    }

private:
    void follow() {
        setGeometry(outset_ > 0 ? owner_->geometry().adjusted(-outset_, -outset_, outset_, outset_) : owner_->rect());
        setVisible(shown(*owner_));
        // Above what was added or raised since it last showed.
        if (isVisible()) raise();
    }

    QPointer<QWidget> owner_;
    double cornerRadius_;
    int outset_;
};

}  // namespace

const QColor& colour() { return TaveroStyle::green(); }

void drawnByItself(QWidget& widget) { widget.setProperty(drawnByItselfProperty, true); }

bool drawsItself(const QWidget& widget) { return widget.property(drawnByItselfProperty).toBool(); }

void setControlRadius(QWidget& widget, double cornerRadius) { widget.setProperty(controlRadiusProperty, cornerRadius); }

double controlRadius(const QWidget& widget) {
    const QVariant radius = widget.property(controlRadiusProperty);
    return radius.isValid() ? radius.toDouble() : fusionRadius;
}

bool shown(const QWidget& widget) {
    return widget.hasFocus() && widget.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void paint(QPainter& painter, const QWidget& widget, const QRectF& bounds, double cornerRadius) {
    if (!shown(widget)) return;
    painter.save();
    painter.setOpacity(1);
    painter.setRenderHint(QPainter::Antialiasing);
    strokeInside(painter, bounds, cornerRadius, width / 2.0, QPen(colour(), width));
    strokeInside(painter, bounds, cornerRadius, width + innerWidth / 2.0, QPen(Qt::white, innerWidth));
    painter.restore();
}

void drawAbove(QWidget& widget, double cornerRadius) { new FocusRingFrame(widget, cornerRadius, 0); }

void drawAround(QWidget& widget, double cornerRadius, int outset) {
    new FocusRingFrame(widget, cornerRadius, outset);
}

}  // namespace tavero::FocusRing
