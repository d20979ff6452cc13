#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace tavero {

// Shows a sheet over a window while a Boolean binding holds: a window-modal
// dialog opened without a nested event loop, with fresh content each time.
// When the binding turns false the sheet closes; when the user closes the
// sheet the binding is turned false. Either way `onDismissal` then runs.
//
// The owner calls update() whenever the bound value may have changed.
// Main thread.
class SheetBinding : public QObject {
    Q_OBJECT
public:
    struct Binding {
        std::function<bool()> isPresented;
        // Turns the bound value false.
        std::function<void()> dismiss;
        // The sheet's content, made when the sheet opens; its window title,
        // the heading it shows, names the sheet to screen readers.
        std::function<QWidget*()> content;
        std::function<void()> onDismissal;
    };

    SheetBinding(QWidget* window, Binding binding);
    ~SheetBinding() override;

    void update();
    // The open sheet, or null.
    QDialog* sheet() const { return sheet_; }

private:
    void present();
    void closed();

    QPointer<QWidget> window_;
    Binding binding_;
    QPointer<QDialog> sheet_;
};

}  // namespace tavero
