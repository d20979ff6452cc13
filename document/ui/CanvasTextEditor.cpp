#include "document/ui/CanvasTextEditor.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimerEvent>

namespace tavero {

namespace {

constexpr double textInset = 4;  // points between the field's edge and its text
constexpr double cornerRadius = 4;
constexpr double borderWidth = 1.5;
const QColor borderColor(0, 122, 255);  // the system blue of the editor's design
constexpr int caretWidth = 1;

bool isReturn(const QKeyEvent& event) { return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter; }

}  // namespace

CanvasTextEditor::CanvasTextEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setUndoRedoEnabled(true);
    setCursorWidth(0);  // the caret is painted here, in the text's colour
    document()->setDocumentMargin(textInset);
    // The background is painted here, rounded; the viewport stays clear.
    viewport()->setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("图片上的文字输入框"));
    setAccessibleDescription(QStringLiteral("直接输入标注。回车完成，Shift 加回车换行，Escape 取消。"));
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CanvasTextEditor::restartBlinking);
    connect(this, &QPlainTextEdit::textChanged, this, &CanvasTextEditor::restartBlinking);
}

bool CanvasTextEditor::hasMarkedText() const {
    const QTextLayout* layout = textCursor().block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

void CanvasTextEditor::unmarkText() {
    if (!hasMarkedText()) return;
    // The platform's input method commits into the field only while the field
    // has the focus; otherwise its commit would land in another widget.
    if (hasFocus()) QGuiApplication::inputMethod()->commit();
    if (!hasMarkedText()) return;
    QInputMethodEvent commit;
    commit.setCommitString(textCursor().block().layout()->preeditAreaText());
    inputMethodEvent(&commit);
    if (hasFocus()) QGuiApplication::inputMethod()->reset();
}

QString CanvasTextEditor::displayedText() const {
    QString text = toPlainText();
    if (hasMarkedText()) {
        const QTextBlock block = textCursor().block();
        text.insert(block.position() + block.layout()->preeditAreaPosition(), block.layout()->preeditAreaText());
    }
    return text;
}

void CanvasTextEditor::setFieldBackground(const QColor& color) {
    if (background_ == color) return;
    background_ = color;
    viewport()->update();
}

bool CanvasTextEditor::event(QEvent* event) {
    // Escape and Return belong to the field, even where the window has shortcuts on them.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || isReturn(*key)) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void CanvasTextEditor::inputMethodEvent(QInputMethodEvent* event) {
    QPlainTextEdit::inputMethodEvent(event);
    emit compositionChanged();
}

void CanvasTextEditor::keyPressEvent(QKeyEvent* event) {
    const bool escape = event->key() == Qt::Key_Escape;
    if (!escape && !isReturn(*event)) return QPlainTextEdit::keyPressEvent(event);
    // While it composes, Return and Escape are the input method's.
    if (hasMarkedText()) return;
    if (escape)
        emit cancelRequested();
    else if (event->modifiers().testFlag(Qt::ShiftModifier))
        insertPlainText(QStringLiteral("\n"));
    else
        emit finishRequested();
}

void CanvasTextEditor::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    restartBlinking();
}

void CanvasTextEditor::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    blink_.stop();
    caretShown_ = false;
    viewport()->update();
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason: return;  // the field keeps its session
    default: emit focusLeft();
    }
}

void CanvasTextEditor::restartBlinking() {
    caretShown_ = hasFocus();
    const int flashTime = QApplication::cursorFlashTime();
    if (caretShown_ && flashTime > 0)
        blink_.start(flashTime / 2, this);
    else
        blink_.stop();
    viewport()->update();
}

void CanvasTextEditor::timerEvent(QTimerEvent* event) {
    if (event->timerId() != blink_.timerId()) return QPlainTextEdit::timerEvent(event);
    caretShown_ = !caretShown_;
    viewport()->update();
}

void CanvasTextEditor::paintEvent(QPaintEvent* event) {
    paintFrame();
    QPlainTextEdit::paintEvent(event);
    paintCaret();
}

void CanvasTextEditor::paintFrame() {
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(borderColor, borderWidth));
    painter.setBrush(background_);
    const double half = borderWidth / 2;
    painter.drawRoundedRect(QRectF(viewport()->rect()).adjusted(half, half, -half, -half), cornerRadius, cornerRadius);
}

// Hidden while text is selected, as the platform's insertion point is.
void CanvasTextEditor::paintCaret() {
    if (!caretShown_ || textCursor().hasSelection()) return;
    const QRect caret = cursorRect();
    QPainter(viewport()).fillRect(QRect(caret.left(), caret.top(), caretWidth, caret.height()),
                                  palette().color(QPalette::Text));
}

}  // namespace tavero
