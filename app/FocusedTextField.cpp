#include "app/FocusedTextField.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tavero::FocusedTextField {

namespace {

template <typename Field>
void apply(Field& field, Edit edit) {
    switch (edit) {
    case Edit::cut: field.cut(); break;
    case Edit::copy: field.copy(); break;
    case Edit::paste: field.paste(); break;
    case Edit::undo: field.undo(); break;
    case Edit::redo: field.redo(); break;
    case Edit::selectAll: field.selectAll(); break;
    }
}

template <typename Field>
bool canCut(const Field& field) {
    return !field.isReadOnly() && field.textCursor().hasSelection();
}

}  // namespace

bool perform(Edit edit) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) apply(*line, edit);
    else if (auto* text = qobject_cast<QTextEdit*>(focus)) apply(*text, edit);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) apply(*plain, edit);
    else return false;
    return true;
}

bool canPerform(Edit edit) {
    QWidget* focus = QApplication::focusWidget();
    if (edit != Edit::cut) return qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) ||
                                  qobject_cast<QPlainTextEdit*>(focus);
    if (auto* line = qobject_cast<QLineEdit*>(focus))
        return !line->isReadOnly() && line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
    if (auto* text = qobject_cast<QTextEdit*>(focus)) return canCut(*text);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) return canCut(*plain);
    return false;
}

}  // namespace tavero::FocusedTextField
