#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QPlainTextEdit>

namespace tavero {

// The small field in which a label is typed directly on the picture. Plain
// text only; its own undo history (Ctrl+Z while typing) stays inside the
// field and never touches the document's. An input method's pre-edit text
// (marked text) stays in the field until the input method commits it.
//
// It draws its own rounded background and blue border, and its caret in the
// text's colour (Qt's own caret inverts the pixels beneath it); what the
// field's keys mean it leaves to the canvas, through its signals. Lives on
// the main thread as a child of the canvas.
class CanvasTextEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CanvasTextEditor(QWidget* parent = nullptr);

    // An input method's composition is open in the field.
    bool hasMarkedText() const;
    // Ends an open composition, keeping its text as typed.
    void unmarkText();
    // The text as the field shows it, an open composition included.
    QString displayedText() const;

    QColor fieldBackground() const { return background_; }
    void setFieldBackground(const QColor& color);

signals:
    // Return without Shift, outside a composition.
    void finishRequested();
    // Escape, outside a composition.
    void cancelRequested();
    // The focus went to another widget: a click, Tab or a programmatic
    // change; not a deactivated window or an opened menu.
    void focusLeft();
    // An input method's composition changed; the text did not.
    void compositionChanged();

protected:
    bool event(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void paintFrame();
    void paintCaret();
    // Shows the caret steadily again after typing or a move of the caret.
    void restartBlinking();

    QColor background_ = Qt::white;
    QBasicTimer blink_;
    bool caretShown_ = false;
};

}  // namespace tavero
