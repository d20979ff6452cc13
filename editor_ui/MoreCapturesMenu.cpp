#include "editor_ui/MoreCapturesMenu.h"

#include "app/model/AppModel.h"

#include <QActionGroup>

namespace tavero {

namespace {

QString delayTitle(int seconds) { return seconds == 0 ? QStringLiteral("立即") : QStringLiteral("%1 秒").arg(seconds); }

}  // namespace

MoreCapturesMenu::MoreCapturesMenu(AppModel& model, QWidget* parent) : QMenu(parent), model_(model) {
    addCaptureItems();
    addDelayPicker();
    cursor_ = addAction(QStringLiteral("捕获鼠标指针"));
    cursor_->setCheckable(true);
    connect(cursor_, &QAction::toggled, this, [this](bool include) { model_.setIncludeCursor(include); });

    connect(&model, &AppModel::captureDelayChanged, this, &MoreCapturesMenu::showModel);
    connect(&model, &AppModel::includeCursorChanged, this, &MoreCapturesMenu::showModel);
    showModel();
}

void MoreCapturesMenu::addCaptureItems() {
    const auto take = [this](const QString& title, CaptureMode mode, bool scrolling) {
        QAction* action = addAction(title);
        connect(action, &QAction::triggered, this, [this, mode, scrolling] { model_.take(mode, scrolling); });
        captureActions_.append(action);
    };
    take(QStringLiteral("全屏截图  Ctrl+Shift+6"), CaptureMode::full, false);
    take(QStringLiteral("窗口截图"), CaptureMode::window, false);
    take(QStringLiteral("上次区域"), CaptureMode::previous, false);
    addSeparator();
    take(QStringLiteral("滚动长截图"), CaptureMode::area, true);
}

void MoreCapturesMenu::addDelayPicker() {
    QMenu* picker = addMenu(QStringLiteral("截图延时"));
    delayGroup_ = new QActionGroup(picker);
    delayGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const int seconds : delays) {
        QAction* option = picker->addAction(delayTitle(seconds));
        option->setCheckable(true);
        option->setData(seconds);
        delayGroup_->addAction(option);
        connect(option, &QAction::triggered, this, [this, seconds] {
            model_.setCaptureDelay(seconds);
            showModel();
        });
    }
}

void MoreCapturesMenu::setCaptureEnabled(bool enabled) {
    for (QAction* action : std::as_const(captureActions_)) action->setEnabled(enabled);
}

QAction* MoreCapturesMenu::delayAction(int seconds) const {
    for (QAction* option : delayGroup_->actions())
        if (option->data().toInt() == seconds) return option;
    return nullptr;
}

void MoreCapturesMenu::showModel() {
    // A delay set elsewhere that the picker does not offer shows no choice.
    for (QAction* option : delayGroup_->actions()) option->setChecked(option->data().toInt() == model_.captureDelay());
    const QSignalBlocker quiet(cursor_);
    cursor_->setChecked(model_.includeCursor());
}

}  // namespace tavero
