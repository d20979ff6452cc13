#include "editor_ui/ScreenAccessView.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/SymbolLabel.h"
#include "editor_ui/style/StartActionButton.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace tavero {

namespace {

constexpr int padding = 30;
constexpr int spacing = 18;
constexpr int stepSpacing = 10;
constexpr int symbolSide = 38;

QLabel* wrapped(const QString& text, double points, QWidget* parent, FontWeight weight = FontWeight::regular) {
    QLabel* label = EditorLook::label(text, points, parent, weight);
    label->setWordWrap(true);
    return label;
}

}  // namespace

ScreenAccessView::ScreenAccessView(const ScreenAccessIntent& intent, std::function<void()> continueAction,
                                   std::function<void()> cancel, QWidget* parent)
    : QWidget(parent), continueAction_(std::move(continueAction)), cancel_(std::move(cancel)) {
    setFixedWidth(sheetWidth);
    const QString kind = intent.title();
    auto* symbol = new QLabel(this);
    symbol->setPixmap(SymbolIcons::icon(QStringLiteral("macwindow.badge.plus"), TaveroStyle::green())
                          .pixmap(QSize(symbolSide, symbolSide), devicePixelRatioF()));
    setWindowTitle(QStringLiteral("第一次") + kind + QStringLiteral("，先允许读取屏幕"));
    title_ = wrapped(windowTitle(), 23, this, FontWeight::semibold);
    QLabel* reassurance = wrapped(QStringLiteral("你主动开始才会截图或录制。素材保存在自己的电脑。"), 10, this);
    EditorLook::setTextColour(reassurance, EditorLook::secondaryText(this));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(symbol);
    column->addWidget(title_);
    column->addWidget(wrapped(QStringLiteral("系统把截图和录屏的权限统一叫作「屏幕与系统音频录制」。"
                                             "允许岚帧后，才能截取你选择的画面。"),
                              14, this));
    column->addWidget(makeSteps(kind));
    column->addWidget(reassurance);
    column->addWidget(makeButtons(kind));
}

QWidget* ScreenAccessView::makeSteps(const QString& kind) {
    auto* steps = new QWidget(this);
    auto* column = new QVBoxLayout(steps);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(stepSpacing);
    const QString last = kind == QStringLiteral("截图") ? QStringLiteral("然后拖出一个区域，松开鼠标即可截图。")
                                                        : QStringLiteral("然后选择范围和声音，点击「开始录制」。");
    const QStringList texts{QStringLiteral("在接下来的系统提示中，允许岚帧读取屏幕。"),
                            QStringLiteral("如果进入系统设置，打开岚帧的开关，再返回这里。"), last};
    for (qsizetype index = 0; index < texts.size(); ++index) {
        auto* step = new SymbolLabel(QString::number(index + 1) + QStringLiteral(".circle"), texts[index], 12,
                                     EditorLook::secondaryText(this), steps);
        steps_.append(step);
        column->addWidget(step);
    }
    return steps;
}

// Return and Escape act for the whole sheet, wherever the keyboard is.
QWidget* ScreenAccessView::makeButtons(const QString& kind) {
    auto* buttons = new QWidget(this);
    later_ = new QPushButton(QStringLiteral("稍后再说"), buttons);
    later_->setAutoDefault(false);
    connect(later_, &QPushButton::clicked, this, [this] { cancel_(); });
    continue_ = new StartActionButton(QStringLiteral("继续") + kind, StartActionStyle(), buttons);
    connect(continue_, &QAbstractButton::clicked, this, [this] { continueAction_(); });

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, later_, &QPushButton::click);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* confirm = new QShortcut(QKeySequence(key), this);
        connect(confirm, &QShortcut::activated, continue_, &QAbstractButton::click);
    }

    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(later_);
    row->addStretch();
    row->addWidget(continue_);
    return buttons;
}

}  // namespace tavero
