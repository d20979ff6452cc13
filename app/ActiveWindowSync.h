#pragma once

#include <QObject>

class QApplication;

namespace tavero {

// Keeps the widgets' active window in step with the window that has the
// keyboard. Qt's widgets forget their active window when it hides and hear
// of it again only when the window with the keyboard changes: not when the
// keyboard comes back to the same window before Qt noticed it had left (a
// window hidden for a full-screen shot and shown again within 0.4 s), nor
// when it moves while a popup is open (the open panel's completer). The
// window then has the keyboard while none of its controls has the focus:
// Tab moves nothing, nothing is marked and screen readers hear nothing.
// After every window shown or hidden and every move of the keyboard, the
// widgets are told again.
//
// Made after the application and gone before it; main thread.
class ActiveWindowSync : public QObject {
    Q_OBJECT
public:
    explicit ActiveWindowSync(QApplication& application);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkSoon();
    void check();

    bool checkPending_ = false;
};

}  // namespace tavero
