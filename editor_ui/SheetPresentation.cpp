#include "editor_ui/SheetPresentation.h"

#include "editor_ui/EditorLook.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPainter>
#include <QPointer>

namespace tavero::SheetPresentation {

namespace {

constexpr double edgeOpacity = 0.3;

// Drawn over the sheet's content, which it lets every click through to.
class SheetEdge final : public QWidget {
public:
    explicit SheetEdge(QWidget* sheet) : QWidget(sheet) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        sheet->installEventFilter(this);
        cover();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) cover();
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(EditorLook::faded(palette().color(QPalette::WindowText), edgeOpacity));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    void cover() {
        setGeometry(parentWidget()->rect());
        raise();
    }
};

}  // namespace

void frame(QDialog& dialog) {
    dialog.setWindowFlag(Qt::FramelessWindowHint);
    new SheetEdge(&dialog);
}

void present(QDialog& dialog) {
    const QPointer<QWidget> beneath = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    // Once what closed the dialog is done: a window that hides meanwhile (the
    // editor leaving the screen for a take) does not ask for the keyboard,
    // nor one that another sheet has opened over meanwhile.
    QObject::connect(&dialog, &QDialog::finished, &dialog, [beneath] {
        if (!beneath) return;
        QMetaObject::invokeMethod(
            beneath,
            [beneath] {
                if (beneath && beneath->isVisible() && !QApplication::activeModalWidget()) beneath->activateWindow();
            },
            Qt::QueuedConnection);
    });
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

}  // namespace tavero::SheetPresentation
