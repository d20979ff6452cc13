#include "document/ShotDocument.h"
#include "document/ui/CanvasTextEditor.h"
#include "document/ui/CanvasView.h"
#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

// The label being typed lives in the document from its first visible
// character on; the field shows it and reports every change.
namespace tavero {

namespace {

constexpr double smallestFontSize = 4;  // points, however far the picture is reduced
constexpr double fieldInset = 4;        // the field's text starts this far inside it
constexpr double fieldPadding = 12;
constexpr double narrowestField = 110;
constexpr double narrowestFrame = 36;  // the smallest the canvas edges may squeeze the field
constexpr double lowestFrame = 28;
constexpr double lineHeightPerFontSize = 1.5;
constexpr double lightInk = 0.75;  // luminance above which the field turns dark

// A dark field for light inks, so white text stays readable.
QColor fieldBackground(const Ink& ink) {
    const double luminance = 0.2126 * ink.r + 0.7152 * ink.g + 0.0722 * ink.b;
    return luminance > lightInk ? QColor::fromRgbF(0.12f, 0.12f, 0.12f, 0.96f) : QColor::fromRgbF(1, 1, 1, 0.96f);
}

}  // namespace

void CanvasView::beginInlineText(const QPointF& imagePoint, bool selectAll) {
    finishInlineText(false);
    document_.beginTextInput();
    textEditorOrigin_ = imagePoint;

    auto* editor = new CanvasTextEditor(this);
    editor->setPlainText(document_.text());
    textEditor_ = editor;
    connect(editor, &QPlainTextEdit::textChanged, this, &CanvasView::textDidChange);
    connect(editor, &CanvasTextEditor::compositionChanged, this, &CanvasView::layoutTextEditor);
    connect(editor, &CanvasTextEditor::finishRequested, this, [this] { finishInlineText(false); });
    connect(editor, &CanvasTextEditor::cancelRequested, this, [this] { finishInlineText(true); });
    connect(editor, &CanvasTextEditor::focusLeft, this, [this] { finishInlineText(false); });

    synchronizeTextEditor();
    if (!textEditor_) return;  // the document started no session
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        editor->selectAll();
    else
        editor->moveCursor(QTextCursor::End);
    update();
}

void CanvasView::finishInlineText(bool cancelled) {
    // Ending the session moves the focus, which would end it a second time.
    if (!textEditor_ || finishingTextInput_) return;
    finishingTextInput_ = true;
    if (cancelled) {
        document_.endTextInput(true);
    } else {
        if (document_.isEditingText()) {
            textEditor_->unmarkText();
            document_.changeText(textEditor_->toPlainText());
        }
        document_.endTextInput(false);
    }
    removeTextEditor();
    finishingTextInput_ = false;
}

void CanvasView::synchronizeTextEditor() {
    if (!textEditor_) return;
    if (!document_.isEditingText()) return removeTextEditor();
    // Undo and redo in the document reach the field here; an open
    // composition is never interrupted.
    if (!textEditor_->hasMarkedText() && textEditor_->toPlainText() != document_.text()) {
        const QSignalBlocker quiet(textEditor_.data());
        textEditor_->setPlainText(document_.text());
        textEditor_->moveCursor(QTextCursor::End);
    }
    styleTextEditor();
    layoutTextEditor();
}

void CanvasView::styleTextEditor() {
    QPalette palette = textEditor_->palette();
    palette.setColor(QPalette::Text, document_.ink().color());  // the caret takes it too
    textEditor_->setPalette(palette);
    textEditor_->setFieldBackground(fieldBackground(document_.ink()));
}

// The field sits where the label is drawn, in the label's font at the
// current zoom, and never runs past the canvas's right and bottom edges.
void CanvasView::layoutTextEditor() {
    if (!textEditor_ || document_.image().isNull()) return;
    const QRectF shown = imageRect();
    const double scale = shown.width() / document_.image().width();
    const QPointF textOrigin = shown.topLeft() + scale * textEditorOrigin_;

    const double fontSize = std::max(scale * document_.fontSize(), smallestFontSize);
    const QFont font = Fonts::system(fontSize, FontWeight::semibold, textEditor_->logicalDpiY());
    if (textEditor_->font() != font) textEditor_->setFont(font);

    const QString text = textEditor_->displayedText();
    const QString measured = (text.isEmpty() ? QStringLiteral("输入文字") : text) + QLatin1Char(' ');
    const QSizeF size = QFontMetricsF(font, textEditor_).size(0, measured);
    const double fieldWidth = std::max(size.width() + fieldPadding, narrowestField);
    const double fieldHeight = std::max(fontSize * lineHeightPerFontSize + 8, size.height() + 8);

    const QPointF origin = textOrigin - QPointF(fieldInset, fieldInset);
    const QSizeF frame(std::min(fieldWidth, std::max(width() - origin.x() - fieldInset, narrowestFrame)),
                       std::min(fieldHeight, std::max(height() - origin.y() - fieldInset, lowestFrame)));
    textEditor_->setGeometry(QRectF(origin, frame).toRect());
    textEditor_->ensureCursorVisible();
}

void CanvasView::removeTextEditor() {
    if (!textEditor_) return;
    CanvasTextEditor* editor = textEditor_;
    textEditor_ = nullptr;
    // Disconnected first, so the loss of focus below does not end the session again.
    editor->disconnect(this);
    if (editor->hasFocus()) setFocus(Qt::OtherFocusReason);
    editor->hide();
    editor->deleteLater();
    update();
}

void CanvasView::textDidChange() {
    if (!textEditor_ || finishingTextInput_) return;
    if (cutTextToLimit()) return;  // the cut changes the text again
    // A composition reaches the document only once the input method commits it.
    if (!textEditor_->hasMarkedText()) document_.changeText(textEditor_->toPlainText());
    layoutTextEditor();
}

// The field holds no more than the label may (ShotDocument::textRoom): what
// is typed or pasted beyond that is taken off the end, between two
// characters, in the field's own undo history, and the status line says so.
// Returns whether anything was cut.
bool CanvasView::cutTextToLimit() {
    const ShotDocument::TextRoom room = document_.textRoom();
    if (textEditor_->hasMarkedText() || textEditor_->document()->characterCount() - 1 <= room.length) return false;
    QTextCursor excess(textEditor_->document());
    excess.setPosition(int(cutText(textEditor_->toPlainText(), room.length).size()));
    excess.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    excess.removeSelectedText();
    document_.reportLimit(room.limit);
    return true;
}

}  // namespace tavero
