#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace tavero {

// Enables and disables one control. Qt moves the keyboard on from a control
// it disables and never brings it back: pressing "背景 · 渐变与纯色" from
// the keyboard, which is disabled while its picture renders and again while
// the background is applied, or a video's 播放, disabled while the next file
// loads, would leave the user on the next control, which screen readers
// would name in passing. While a control disabled here is away, its window
// holds the keyboard; the control gets it back once enabled again, unless
// the user has moved on meanwhile.
//
// Lives with the control, as its child; main thread.
class FocusReturn : public QObject {
    Q_OBJECT
public:
    explicit FocusReturn(QWidget& control);

    void setEnabled(bool enabled);
    // The control takes the keyboard now, or, while disabled, once enabled,
    // on the same terms as one that had it.
    void takeKeyboard();

private:
    // The window holds the keyboard until the control is enabled.
    void owe();

    QWidget& control_;
    bool owed_ = false;
    // Where the keyboard waits for the control: its window, or the window's focus proxy.
    QPointer<QWidget> standIn_;
};

}  // namespace tavero
