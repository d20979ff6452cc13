#include "editor_ui/RecordingUnavailableView.h"

#include "editor_ui/EditorLook.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace tavero {

namespace {

constexpr int padding = 24;
constexpr int spacing = 16;

}  // namespace

QString RecordingUnavailableView::message() {
    return QStringLiteral("这一版岚帧还不能录屏；截图、标注和美化都可以照常使用。");
}

RecordingUnavailableView::RecordingUnavailableView(std::function<void()> close, QWidget* parent)
    : QWidget(parent) {
    setFixedWidth(sheetWidth);
    QLabel* text = EditorLook::label(message(), 13, this);
    text->setWordWrap(true);
    close_ = EditorLook::prominentButton(QStringLiteral("好"), {}, this);
    connect(close_, &QPushButton::clicked, this, [close = std::move(close)] { close(); });
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, close_, &QPushButton::click);
    }

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(text);
    column->addWidget(close_, 0, Qt::AlignRight);
}

}  // namespace tavero
