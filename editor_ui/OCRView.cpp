#include "editor_ui/OCRView.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/RoundedSurface.h"
#include "editor_ui/SymbolLabel.h"
#include "editor_ui/style/FocusRing.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tavero {

namespace {

constexpr int padding = 24;
constexpr int spacing = 16;
constexpr int editorHeight = 350;
constexpr double editorRadius = 8;
// The editor's text sits 8 points in from the rounded edge: half of it
// around the editor, half inside it.
constexpr int editorInset = 4;
constexpr double textPoints = 14;
constexpr double titlePoints = 17;
constexpr double captionPoints = 10;

}  // namespace

OCRView::OCRView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedWidth(sheetWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(makeTitleRow());
    column->addWidget(makeEditor());
    column->addWidget(makeFooter());

    connect(&model, &AppModel::ocrTextChanged, this, &OCRView::showText);
    showText();
}

QWidget* OCRView::makeTitleRow() {
    auto* title = new QWidget(this);
    auto* row = new QHBoxLayout(title);
    row->setContentsMargins(0, 0, 0, 0);
    setWindowTitle(QStringLiteral("识别出的文字"));
    row->addWidget(EditorLook::label(windowTitle(), titlePoints, title, FontWeight::bold));
    row->addStretch();
    row->addWidget(new SymbolLabel(QStringLiteral("lock"), QStringLiteral("在本机完成"), captionPoints,
                                   EditorLook::secondaryText(this), title));
    return title;
}

QWidget* OCRView::makeEditor() {
    const QColor paper = palette().color(QPalette::Base);
    auto* surface = new RoundedSurface(editorRadius, paper, this);
    surface->setFixedHeight(editorHeight);
    editor_ = new QPlainTextEdit(surface);
    editor_->setAccessibleName(QStringLiteral("识别出的文字"));
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setFont(EditorLook::font(this, textPoints));
    editor_->document()->setDocumentMargin(editorInset);
    // Tab moves on to the buttons, so the keyboard alone can leave the text.
    editor_->setTabChangesFocus(true);
    FocusRing::drawAbove(*editor_, editorRadius - editorInset);
    connect(editor_, &QPlainTextEdit::textChanged, &model_, [this] { model_.setOcrText(editor_->toPlainText()); });
    auto* fill = new QVBoxLayout(surface);
    fill->setContentsMargins(editorInset, editorInset, editorInset, editorInset);
    fill->addWidget(editor_);
    return surface;
}

QWidget* OCRView::makeFooter() {
    auto* footer = new QWidget(this);
    QLabel* hint = EditorLook::label(QStringLiteral("可以修改后再复制。"), captionPoints, footer);
    EditorLook::setTextColour(hint, EditorLook::secondaryText(this));
    close_ = new QPushButton(QStringLiteral("关闭"), footer);
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, &model_, [this] { model_.setShowOCR(false); });
    copy_ = EditorLook::prominentButton(QStringLiteral("复制全部"), QString(), footer);
    copy_->setAutoDefault(false);
    connect(copy_, &QPushButton::clicked, this, &OCRView::copyAll);

    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(hint);
    row->addStretch();
    row->addWidget(close_);
    row->addWidget(copy_);
    return footer;
}

// Only a change from elsewhere replaces the editor's text, so typing keeps
// its cursor and its undo history.
void OCRView::showText() {
    if (editor_->toPlainText() == model_.ocrText()) return;
    const QSignalBlocker quiet(editor_);
    editor_->setPlainText(model_.ocrText());
}

// The text alone replaces whatever the clipboard held.
void OCRView::copyAll() {
    QGuiApplication::clipboard()->setText(model_.ocrText());
    model_.setStatus(copiedStatus);
}

}  // namespace tavero
