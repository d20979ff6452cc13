#include "editor_ui/ScreenshotPracticeBar.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace tavero {

namespace {

constexpr double chipPoints = 11;
constexpr int chipSymbolSide = 13;
constexpr double backgroundOpacity = 0.1;

QString instructionFor(ScreenshotPracticeStep step) {
    switch (step) {
    case ScreenshotPracticeStep::annotate: return QStringLiteral("在图片上拖一下，画出你的第一个箭头。也可以选「文字」直接写。");
    case ScreenshotPracticeStep::background: return QStringLiteral("重点标好了。选一个喜欢的背景，让这张图更好看。");
    case ScreenshotPracticeStep::share: return QStringLiteral("已经做好了！复制这张图，就可以粘贴到聊天或文档里。");
    case ScreenshotPracticeStep::complete: return QStringLiteral("完成了！图片已复制。现在试着截一张自己的图吧。");
    }
    return {};
}

QString actionTitle(ScreenshotPracticeStep step) {
    switch (step) {
    case ScreenshotPracticeStep::annotate: return QStringLiteral("选择箭头");
    case ScreenshotPracticeStep::background: return QStringLiteral("挑选背景");
    case ScreenshotPracticeStep::share: return QStringLiteral("复制这张图");
    case ScreenshotPracticeStep::complete: return QStringLiteral("截一张自己的图");
    }
    return {};
}

}  // namespace

ScreenshotPracticeBar::ScreenshotPracticeBar(ScreenshotPracticeStep step, Action act, Action dismiss, QWidget* parent)
    : QWidget(parent), step_(step), act_(std::move(act)), dismiss_(std::move(dismiss)) {
    EditorLook::fill(this, EditorLook::faded(TaveroStyle::mint(), backgroundOpacity));
    instruction_ = EditorLook::label(QString(), 12, this);
    EditorLook::setTextColour(instruction_, TaveroStyle::ink());
    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(makeChips(), 0, Qt::AlignLeft);
    texts->addWidget(instruction_);

    action_ = EditorLook::prominentButton(QString(), QString(), this);
    connect(action_, &QPushButton::clicked, this, [this] { act_(); });
    close_ = EditorLook::plainButton(QString(), QStringLiteral("xmark"), this);
    close_->setAccessibleName(QStringLiteral("结束示例引导"));
    close_->setToolTip(QStringLiteral("结束示例引导，保留当前图片"));
    connect(close_, &QToolButton::clicked, this, [this] { dismiss_(); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 12, 18, 12);
    row->setSpacing(16);
    row->addLayout(texts);
    row->addStretch();
    row->addSpacing(4);
    row->addWidget(action_);
    row->addWidget(close_);
    showStep();
}

QWidget* ScreenshotPracticeBar::makeChips() {
    auto* chips = new QWidget(this);
    auto* row = new QHBoxLayout(chips);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    for (const ScreenshotPracticeStep step : allPracticeSteps) {
        auto* chip = new QHBoxLayout;
        chip->setSpacing(4);
        Chip parts{new QLabel(chips), EditorLook::label(title(step), chipPoints, chips, FontWeight::semibold)};
        parts.symbol->setFixedSize(chipSymbolSide, chipSymbolSide);
        chip->addWidget(parts.symbol);
        chip->addWidget(parts.title);
        row->addLayout(chip);
        chips_.append(parts);
    }
    return chips;
}

void ScreenshotPracticeBar::setStep(ScreenshotPracticeStep step) {
    if (step == step_) return;
    step_ = step;
    showStep();
}

// A step before the current one is done and shows a check mark; the others
// show their number. Steps up to the current one are green.
void ScreenshotPracticeBar::showStep() {
    const int current = int(step_);
    for (int position = 0; position < chips_.size(); ++position) {
        const QColor colour = position <= current ? TaveroStyle::green() : EditorLook::secondaryText(this);
        const QString symbol = position < current ? QStringLiteral("checkmark.circle.fill")
                                                  : QString::number(position + 1) + QStringLiteral(".circle.fill");
        chips_[position].symbol->setPixmap(SymbolIcons::icon(symbol, colour).pixmap(
            QSize(chipSymbolSide, chipSymbolSide), devicePixelRatioF()));
        EditorLook::setTextColour(chips_[position].title, colour);
    }
    instruction_->setText(instructionFor(step_));
    action_->setText(actionTitle(step_));
}

}  // namespace tavero
