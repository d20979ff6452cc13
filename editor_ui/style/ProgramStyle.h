#pragma once

#include <QPointer>
#include <QProxyStyle>

class QFocusFrame;

namespace tavero {

// The program's widget style: Fusion, whose thin focus frames and tinted
// outlines give way to the one focus mark (FocusRing) around every control
// that does not draw its own: push, tool and check buttons, sliders, combo
// and spin boxes, text fields, tab bars. One QFocusFrame follows the
// keyboard focus (the application tells the style of every focus change)
// and lies FocusRing::outset around the control, above its neighbours,
// within the window or the scrolled view that holds it. Menus and the lists
// of combo boxes mark their current line as Fusion does. Main thread.
class ProgramStyle final : public QProxyStyle {
public:
    ProgramStyle();

    // Makes it the application's style, with Fusion's light palette.
    static void install();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returned = nullptr) const override;

protected:
    bool event(QEvent* event) override;

private:
    void followFocus();
    // Whether the frame marks `widget`, whose own focus look then gives way.
    bool marks(const QWidget* widget) const;

    QPointer<QFocusFrame> frame_;
};

}  // namespace tavero
